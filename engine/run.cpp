#include <windows.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fmt/format.h>
#include <system_error>
#include <thread>

#include "app/logger.h"
#include "engine/decryptor.h"
#include "engine/drive_roots.h"
#include "engine/folder_walk.h"
#include "engine/run_control.h"
#include "engine/run_report.h"
#include "host/frame.h"
#include "host/page_call.h"
#include "host/text_conversions.h"

namespace {

std::string ansi(const std::wstring& text) { return sciter::ansi_from_wide(text); }

std::string systemMessage(uint32_t code) { return std::system_category().message(static_cast<int>(code)); }

const OptionChoice* findChoice(const std::vector<OptionChoice>& choices, uint32_t id) {
  const auto found = std::find_if(choices.begin(), choices.end(), [id](const OptionChoice& c) { return c.id == id; });
  return found == choices.end() ? nullptr : &*found;
}

// Logs the report and hands it to the page: outcome lines, final message, log path, final step.
void deliverReport(const Decryptor& decryptor, const RunReport& report) {
  for (const std::string& line : report.lines) writeLog(line, Info);
  const frame* page = decryptor.window.get();
  sciter::call_page_function(page, "setFinalMessage", {sciter::value_from_ansi(report.finalMessage.c_str())});
  if (report.showLogPath) {
    sciter::call_page_function(page, "setLogPath", {sciter::value_from_ansi(Logger::instance().path.c_str())});
  }
  sciter::call_page_function(page, "showFinalStep", {sciter::value::from_bool(report.success)});
}

// Where the run stands, so that an error at any point ends it the right way.
struct RunProgress {
  bool initialized = false;  // Init succeeded: Finish is owed
  bool finished = false;     // Finish was called
};

void finishLibrary(Decryptor& decryptor, RunProgress& progress) {
  if (!progress.initialized || progress.finished) return;
  progress.finished = true;
  decryptor.finish();
}

// An unexpected error ends the run on the failure step; the page may itself be the cause, so each page
// call is tried on its own and the library is still finished.
void endAfterError(Decryptor& decryptor, RunProgress& progress, const std::string& what) {
  decryptor.stopped = true;
  writeLog(fmt::format("The decryption process failed because of an unexpected error: {}", what), Debug);
  const RunReport report = reportProblem("The decryption process has failed because of an unexpected error.");
  for (const std::string& line : report.lines) writeLog(line, Info);
  const frame* page = decryptor.window.get();
  const auto tryCall = [&](const char* name, const sciter::value& argument) {
    try {
      sciter::call_page_function(page, name, {argument});
    } catch (...) {
    }
  };
  tryCall("setFinalMessage", sciter::value_from_ansi(report.finalMessage.c_str()));
  tryCall("setLogPath", sciter::value_from_ansi(Logger::instance().path.c_str()));
  tryCall("showFinalStep", sciter::value::from_bool(false));
  try {
    finishLibrary(decryptor, progress);
  } catch (...) {
  }
}

void scanAndReport(Decryptor& decryptor, RunProgress& progress) {
  decryptor.stopped = false;
  std::thread(&Decryptor::progressLoop, &decryptor).detach();
  writeLog("Scanning system...", Info);

  FileResult outcome = NotEncrypted;
  bool nothingToScan = false;
  const OptionChoice* wholeScan = findChoice(decryptor.options, OptionWholeScan);
  if (wholeScan && wholeScan->checked) {
    const auto roots = scannedDriveRoots([](const std::wstring& root) { return GetDriveTypeW(root.c_str()); });
    for (const std::wstring& root : roots) {
      if (decryptor.stopped) break;
      outcome = worseOf(outcome, decryptor.scanFolder(root));
    }
  } else if (decryptor.scanPath.empty()) {
    nothingToScan = true;
  } else {
    outcome = decryptor.scanFolder(decryptor.scanPath);
  }

  if (!decryptor.stopped) decryptor.stopped = true;
  RunReport report;
  if (nothingToScan) {
    report = reportProblem("No folder to scan was given and the scan of the entire system was not chosen.");
  } else if (run_control::progressFailed) {
    report = reportProblem("The decryption process was ended because its progress could not be shown.");
  } else {
    report = reportOutcome(outcome, decryptor.decryptedCount, decryptor.failedCount);
  }
  deliverReport(decryptor, report);
  finishLibrary(decryptor, progress);
}

}  // namespace

void Decryptor::startRun() { startRun(nullptr); }

void Decryptor::startRun(std::unique_ptr<RunSettings> settings) {
  // One run per process: the counters are never reset and the library is initialised once.
  if (run_control::claimed.exchange(true)) {
    writeLog("A decryption run was already started; the new request is ignored.", Debug);
    return;
  }
  try {
    std::thread([this, owned = std::move(settings)]() mutable { runDecryption(std::move(owned)); }).detach();
  } catch (...) {
    run_control::claimed = false;
    throw;
  }
}

void Decryptor::runDecryption(std::unique_ptr<RunSettings> settings) {
  RunProgress progress;
  try {
    Logger::instance();
    if (!prepareRun(settings.get())) return;
    progress.initialized = true;
    scanAndReport(*this, progress);
  } catch (const std::exception& error) {
    endAfterError(*this, progress, error.what());
  } catch (...) {
    endAfterError(*this, progress, "unknown error");
  }
}

bool Decryptor::prepareRun(const RunSettings* settings) {
  scanPath.clear();
  testPath.clear();
  std::wstring newScanPath, newTestPath;
  std::vector<OptionChoice> newOptions;
  if (settings) {
    newScanPath = settings->scanPath;
    newTestPath = settings->testPath;
    newOptions = settings->options;
  } else {
    newScanPath = sciter::value_to_text(sciter::call_page_function(window.get(), "getEncryptedPath"));
    newTestPath = sciter::value_to_text(sciter::call_page_function(window.get(), "getTestPath"));
    newOptions = readOptions();
  }
  scanPath = newScanPath;
  testPath = newTestPath;
  options = newOptions;

  InitParams params{newScanPath, newTestPath, newOptions, &writeLog};
  std::string errorText;
  if (init(&params, &errorText)) return true;

  if (errorText.empty()) errorText = "Initialization failed.";
  const frame* page = window.get();
  sciter::call_page_function(page, "setFinalMessage", {sciter::value_from_utf8(errorText)});
  sciter::call_page_function(page, "setLogPath", {sciter::value_from_ansi(Logger::instance().path.c_str())});
  sciter::call_page_function(page, "showFinalStep", {sciter::value::from_bool(false)});
  return false;
}

FileResult Decryptor::scanFolder(std::wstring root) {
  FileResult result = NotEncrypted;
  FolderWalk walk;
  uint32_t openError = 0;
  if (!walk.open(root, openError)) {
    writeLog(fmt::format("Could not open \"{}\" for scanning: {}", ansi(root), systemMessage(openError)), Info);
    return Failed;
  }
  const OptionChoice* backup = findChoice(options, OptionBackup);
  const bool keepEncrypted = backup && backup->checked;

  WalkEntry entry;
  while (!stopped && walk.next(entry)) {
    if (entry.kind == WalkEntry::Unreadable) {
      writeLog(fmt::format("Could not read the status of \"{}\": {}", ansi(entry.path), systemMessage(entry.error)),
               Info);
      ++failedCount;
      result = Failed;
      continue;
    }
    if (entry.kind != WalkEntry::RegularFile) continue;
    try {
      const std::filesystem::path file(entry.path);
      const int32_t code = decryptSingleFile(&file);
      if (code == Decrypted) {
        ++decryptedCount;
      } else if (code == NoDiskSpace || code == Failed) {
        ++failedCount;
      }
      if (code >= NotEncrypted && code <= Failed) result = worseOf(result, static_cast<FileResult>(code));
      if (code == NoDiskSpace) return result;
      if (code == Decrypted && !keepEncrypted) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
      }
    } catch (...) {
      // A file the library could not cope with must not end the scan of the others.
    }
  }
  if (walk.brokenBy() != 0) {
    writeLog(fmt::format("The scan of \"{}\" ended early: {}", ansi(root), systemMessage(walk.brokenBy())), Info);
  }
  return result;
}
