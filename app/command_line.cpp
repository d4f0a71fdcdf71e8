#include "app/command_line.h"

#include <fmt/format.h>
#include <memory>
#include <system_error>

#include "app/frame_page.h"
#include "app/logger.h"
#include "command_line/command_line_walk.h"
#include "command_line/path_check.h"
#include "engine/decryptor.h"
#include "text/encodings.h"

bool parseCommandLine(Decryptor& decryptor, std::vector<std::wstring> arguments) {
  CommandLineSystem system;
  system.testPathEnabled = decryptor.info && decryptor.info->testPathEnabled;
  system.checkPath = checkPathExists;
  system.toAnsi = [](std::wstring_view wide) { return text::ansi_from_wide(wide); };

  CommandLineOutcome outcome = walkCommandLine(arguments, system);
  for (const std::string& line : outcome.logLines) writeLog(line, Debug);
  if (!outcome.startRun) return false;

  main_page().showDecryptionStep();
  try {
    decryptor.startRun(std::make_unique<RunSettings>(std::move(outcome.settings)));
  } catch (const std::system_error& error) {
    // Without a run thread the page would wait on its progress step forever.
    writeLog(fmt::format("Could not start the decryption run: {}", error.what()), Debug);
    return false;
  }
  return true;
}
