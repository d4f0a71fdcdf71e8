#include "app/logger.h"

#include "engine/decryptor.h"
#include "host/page_call.h"
#include "host/text_conversions.h"

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

}  // namespace

Logger& Logger::instance() {
  static Logger* logger = nullptr;
  if (!logger) {
    logger = new Logger();
    logger->path = logFilePath();
  }
  return *logger;
}

void writeLog(std::string_view message, int level) {
  try {
    if (level == Info && Decryptor::instance().stopped.load()) forward_to_page(message);
  } catch (...) {
  }
  writeLogLine(Logger::instance().path, message, level);
}
