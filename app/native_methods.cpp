#include "app/native_methods.h"

#include "app/logger.h"
#include "engine/decryptor.h"
#include "text/encodings.h"

void NativeMethods::DecryptWrapper() { decryptor_.startRun(); }

void NativeMethods::StopDecryption() { decryptor_.requestStop(); }

void NativeMethods::OpenLink(const std::wstring& target) {
  // The log's link carries the path as the page was given it (setLogPath); the file opened is the log's own.
  const Logger& logger = Logger::instance();
  openLink(target, {{text::wide_from_ansi(logger.path), logger.filePath()}}, shell_, &writeLog);
}
