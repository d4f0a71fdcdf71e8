#include <algorithm>
#include <exception>
#include <filesystem>
#include <fmt/format.h>

#include "engine/decryptor.h"
#include "engine/drive_roots.h"
#include "engine/long_path.h"
#include "engine/run_report.h"
#include "engine/scan_notes.h"
#include "text/encodings.h"

namespace {

const OptionChoice* findChoice(const std::vector<OptionChoice>& choices, uint32_t id) {
  const auto found = std::find_if(choices.begin(), choices.end(), [id](const OptionChoice& c) { return c.id == id; });
  return found == choices.end() ? nullptr : &*found;
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

// Runs a scan to its end and says how to report it.
RunReport scan(Decryptor& decryptor) {
  decryptor.run.launchProgress([&decryptor] { decryptor.progressLoop(); });
  decryptor.writeLine("Scanning system...", Info);

  FileResult outcome = NotEncrypted;
  bool nothingToScan = false;
  const OptionChoice* wholeScan = findChoice(decryptor.options, OptionWholeScan);
  if (wholeScan && wholeScan->checked) {
    const WholeSystemRoots chosen = wholeSystemRoots(*decryptor.platform);
    for (const std::string& line : chosen.lines) decryptor.writeLine(line, Info);
    for (const std::wstring& root : chosen.roots) {
      if (decryptor.stopped) break;
      outcome = worseOf(outcome, decryptor.scanFolder(root, Decryptor::RootKind::Drive));
    }
  } else if (decryptor.scanPath.empty()) {
    nothingToScan = true;
  } else {
    outcome = decryptor.scanFolder(decryptor.scanPath);
  }

  // The outcome is reported only once the progress thread has sent its last counters.
  decryptor.run.endScan();
  decryptor.run.joinProgress();
  if (nothingToScan) {
    return reportProblem("No folder to scan was given and the scan of the entire system was not chosen.");
  }
  if (decryptor.run.progressFailed()) {
    return reportProblem("The decryption process was ended because its progress could not be shown.");
  }
  if (const std::string denied = deniedFoldersLine(decryptor.tally); !denied.empty()) {
    decryptor.writeLine(denied, Debug);
  }
  RunReport report = reportOutcome(outcome, decryptor.decryptedCount, decryptor.failedCount);
  // What the scan met besides the library's answers follows the outcome: the line after "The decryption
  // process has ended." is the outcome, and the user guide's watcher reads it so.
  const std::vector<std::string> notes = scanNoteLines(decryptor.tally);
  report.lines.insert(report.lines.end(), notes.begin(), notes.end());
  return report;
}

}  // namespace

void Decryptor::startRun() { startRun(nullptr); }

void Decryptor::startRun(std::unique_ptr<RunSettings> settings) {
  // One run per process: the counters are never reset and the library is initialised once.
  if (!run.claim()) {
    writeLine("A decryption run was already started; the new request is ignored.", Debug);
    return;
  }
  // The thread body must be copyable, so the settings travel in a shared holder.
  auto owned = std::make_shared<std::unique_ptr<RunSettings>>(std::move(settings));
  run.launch([this, owned] { runDecryption(std::move(*owned)); });
}

void Decryptor::endRun(const RunReport& report) {
  run.endScan();
  for (const std::string& line : report.lines) writeLine(line, Info);
  if (window->closed()) return;
  const auto call = [&report](auto&& pageCall) {
    if (!report.pageMayBeTheCause) return pageCall();
    try {
      pageCall();
    } catch (...) {
    }
  };
  call([&] { window->setFinalMessage(report.finalMessage, report.encoding); });
  if (report.showLogPath) call([&] { window->setLogPath(); });
  call([&] { window->showFinalStep(report.success); });
}

void Decryptor::runDecryption(std::unique_ptr<RunSettings> settings) {
  RunProgress progress;
  try {
    if (prepareRun(settings.get())) {
      progress.initialized = true;
      const bool scanning = run.beginScan();
      if (window->closed()) {
        // A window closed while the run started leaves nobody to scan for.
        endRun(reportProblem("The window was closed before the scan began."));
      } else if (scanning) {
        endRun(scan(*this));
      } else {
        // Stopped while the library started: nothing was offered, and the run ends as after any stop.
        endRun(reportOutcome(NotEncrypted, decryptedCount, failedCount));
      }
    }
  } catch (const std::exception& error) {
    run.endScan();
    run.joinProgress();
    writeLine(fmt::format("The decryption process failed because of an unexpected error: {}", error.what()), Debug);
    endRun(reportUnexpectedError());
  } catch (...) {
    run.endScan();
    run.joinProgress();
    writeLine("The decryption process failed because of an unexpected error: unknown error", Debug);
    endRun(reportUnexpectedError());
  }
  try {
    finishLibrary(*this, progress);
  } catch (...) {
  }
  run.finish();
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
    newScanPath = window->getEncryptedPath();
    newTestPath = window->getTestPath();
    newOptions = readOptions();
    // A window that went away while it was asked answers nothing, and an empty list of choices would read
    // as Backup unchecked: the run stops here, before the library starts.
    if (window->closed()) {
      writeLine("The window was closed while the run read its settings: the run ends without starting.", Debug);
      return false;
    }
  }
  scanPath = newScanPath;
  testPath = newTestPath;
  options = newOptions;

  InitParams params{newScanPath, newTestPath, newOptions, log};
  std::string errorText;
  if (init(&params, &errorText)) return true;
  endRun(reportInitFailure(std::move(errorText)));
  return false;
}

FileResult Decryptor::scanFolder(std::wstring root, RootKind kind) {
  FileResult result = NotEncrypted;
  const std::unique_ptr<EntryWalk> walk = platform->newWalk();
  uint32_t openError = 0;
  if (!walk->open(root, openError)) {
    if (kind == RootKind::Drive && openError == kErrorNotReady) {
      // An empty card-reader slot is a removable drive too: nothing on it can be encrypted.
      writeLine(fmt::format("The drive {} was passed over: it holds no medium (the device is not ready).",
                            text::ansi_from_wide(driveOfRoot(root))),
                Info);
      return NotEncrypted;
    }
    writeLine(fmt::format("Could not open \"{}\" for scanning: {}", text::ansi_from_wide(root),
                          platform->systemMessage(openError)),
              Info);
    return Failed;
  }
  const OptionChoice* backup = findChoice(options, OptionBackup);
  const bool keepEncrypted = backup && backup->checked;
  const FullPathOf fullPathOf = [this](std::wstring_view path) { return platform->fullPathOf(path); };

  WalkEntry entry;
  while (!stopped && walk->next(entry)) {
    switch (entry.kind) {
      case WalkEntry::RegularFile:
        break;
      case WalkEntry::Unreadable:
        writeLine(fmt::format("Could not read the status of \"{}\": {}", text::ansi_from_wide(entry.path),
                              platform->systemMessage(entry.error)),
                  Info);
        ++failedCount;
        result = Failed;
        continue;
      case WalkEntry::FolderNotSearched:
        // Its files were never offered, so the root cannot count as done, whatever was found elsewhere.
        writeLine(fmt::format("The folder \"{}\" could not be searched: {}", text::ansi_from_wide(entry.path),
                              platform->systemMessage(entry.error)),
                  Info);
        tally.notSearched.add(entry.path);
        result = Failed;
        continue;
      case WalkEntry::FolderDenied:
        tally.denied.add(entry.path);
        continue;
      case WalkEntry::NotHere:
        ++tally.notHere;
        continue;
      case WalkEntry::Other:
        continue;
    }
    try {
      // A deep file reaches the library, and its removal the system, in the long-path form, so neither
      // depends on the machine's long-path setting; shorter paths go exactly as the walk spelled them.
      const std::filesystem::path file(systemPathFor(entry.path, PathUse::File, fullPathOf));
      const int32_t code = decryptSingleFile(&file);
      if (code == Decrypted) {
        ++decryptedCount;
      } else if (code == NoDiskSpace || code == Failed) {
        ++failedCount;
      }
      if (code >= NotEncrypted && code <= Failed) result = worseOf(result, static_cast<FileResult>(code));
      if (code == NoDiskSpace) return result;
      if (code == Decrypted && !keepEncrypted) {
        if (const uint32_t refused = platform->removeFile(file.native()); refused != 0) {
          // The file is restored all the same; its encrypted copy must not pass for gone.
          writeLine(fmt::format("The encrypted file \"{}\" was decrypted but could not be removed: {}",
                                text::ansi_from_wide(file.native()), platform->systemMessage(refused)),
                    Info);
          ++tally.removalsRefused;
        }
      }
    } catch (...) {
      // A file the library could not cope with must not end the scan of the others.
    }
  }
  return result;
}
