#include "app/logger.h"

#include <fmt/format.h>

#include <memory>
#include <mutex>
#include <system_error>

#include "engine/decryptor.h"
#include "engine/folder_walk.h"
#include "host/page_call.h"
#include "host/text_conversions.h"
#include "log/log_file.h"
#include "log/log_line.h"
#include "log/safe_append.h"
#include "text/encodings.h"

namespace {

void forward_to_page(std::string_view message) {
  const Logger& logger = Logger::instance();
  if (!logger.window || logger.window->closed()) return;
  try {
    sciter::call_page_function(logger.window.get(), "appendProgressInfo", {sciter::value_from_utf8(message)});
  } catch (...) {
    // The log must never fail its caller; the line still goes to the file below.
  }
}

void append_line(Logger& logger, const std::string& line) {
  if (logger.folder.empty()) return;
  std::lock_guard guard(logger.lock);
  // Asked again while unknown: a folder that could not be resolved once may be resolved later.
  if (logger.finalPathFor != logger.folder || logger.folderFinalPath.empty()) {
    uint32_t error = 0;
    logger.folderFinalPath = logger.files->finalPathOfFolder(logger.folder, error);
    logger.finalPathFor = logger.folder;
  }
  const std::wstring name = text::wide_from_utf8(kLogFileName);
  AppendOpening opening = openForAppending(*logger.files, logger.filePath(), logger.folderFinalPath, name);
  if (opening.file) {
    uint32_t error = 0;
    opening.file->append(with_crlf(line), error);  // a write error drops the line, as a full disk would
    return;
  }
  if (!logger.refusal.empty()) return;
  logger.refusal = appendRefusalLine(fmt::format("The log file \"{}\"", logger.path), opening,
                                     std::system_category().message(static_cast<int>(opening.error)));
  if (logger.console) {
    logger.console(logger.refusal.c_str());
    logger.refusalShown = true;
  }
}

}  // namespace

std::wstring Logger::filePath() const { return joinPath(folder, text::wide_from_utf8(kLogFileName)); }

Logger& Logger::instance() {
  static Logger* logger = nullptr;
  if (!logger) {
    logger = new Logger();
    logger->folder = temporaryFolder();
    if (!logger->folder.empty()) {
      const std::string shown = fileSystemPath(logger->folder);
      if (!shown.empty()) logger->path = shown + (shown.back() == '\\' ? "" : "\\") + kLogFileName;
    }
  }
  return *logger;
}

void writeLog(std::string_view message, int level) {
  try {
    if (level == Info && Decryptor::instance().stopped.load()) forward_to_page(message);
    append_line(Logger::instance(), format_log_line(std::chrono::system_clock::now(), level, message));
  } catch (...) {
    // Out of memory while formatting: the line is lost, the caller goes on.
  }
}

std::string logRefusal() {
  Logger& logger = Logger::instance();
  std::lock_guard guard(logger.lock);
  return logger.refusal;
}

void setLogConsole(void (*print)(const char* line)) {
  Logger& logger = Logger::instance();
  std::lock_guard guard(logger.lock);
  logger.console = print;
  if (print && !logger.refusal.empty() && !logger.refusalShown) {
    print(logger.refusal.c_str());
    logger.refusalShown = true;
  }
}
