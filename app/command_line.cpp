#include "app/command_line.h"

#include <windows.h>

#include <fmt/format.h>
#include <memory>
#include <system_error>

#include "app/command_line_walk.h"
#include "app/frame_page.h"
#include "app/logger.h"
#include "engine/decryptor.h"
#include "engine/folder_system.h"
#include "engine/long_path.h"
#include "text/encodings.h"

namespace {

// The platform's not-found answers mean "does not exist"; any other failure is reported and counts as
// not existing, since a run could not use the path either.
PathCheck checkPath(const std::wstring& path) {
  // Asked the way the scan will ask: a deep path, or one with a name ending in a dot or a space, in the
  // long-path form, which needs no long-path setting and keeps such names exact.
  const std::wstring forSystem = systemPathFor(path, PathUse::File, systemFullPathOf);
  if (GetFileAttributesW(forSystem.c_str()) != INVALID_FILE_ATTRIBUTES) return {true, {}};
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_BAD_NETPATH ||
      error == ERROR_INVALID_NAME) {
    return {false, {}};
  }
  return {false, fmt::format("Could not check whether \"{}\" exists: {}", text::ansi_from_wide(path),
                             std::system_category().message(static_cast<int>(error)))};
}

}  // namespace

bool parseCommandLine(Decryptor& decryptor, std::vector<std::wstring> arguments) {
  CommandLineSystem system;
  system.testPathEnabled = decryptor.info && decryptor.info->testPathEnabled;
  system.checkPath = checkPath;
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
