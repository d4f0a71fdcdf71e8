#include <algorithm>
#include <exception>
#include <filesystem>
#include <fmt/format.h>

#include "engine/decryptor.h"
#include "engine/drive_roots.h"
#include "engine/file_removal.h"
#include "engine/long_path.h"
#include "engine/run_report.h"
#include "engine/scan_notes.h"
#include "text/encodings.h"

namespace {

// The folder part of a path the walk spelled: everything before its last separator, which a drive root keeps.
std::wstring_view folderOf(std::wstring_view path) {
  const size_t last = path.find_last_of(L"\\/");
  if (last == std::wstring_view::npos) return {};
  return path.substr(0, last > 0 && path[last - 1] == L':' ? last + 1 : last);
}

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

void Decryptor::endRun(const RunReport& given) {
  RunReport report = given;
  report.stoppedEarly = run.stoppedEarly();
  run.endScan();
  for (const std::string& line : report.lines) writeLine(line, Info);
  if (observer) observer->runEnded(report);
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
    OptionsAnswer chosen = readOptions();
    // A window that went away while it was asked answers nothing, and an empty list of choices would read
    // as Backup unchecked: the run stops here, before the library starts.
    if (window->closed()) {
      writeLine("The window was closed while the run read its settings: the run ends without starting.", Debug);
      return false;
    }
    // So does an answer that is not a list of choices: whether Backup was checked is not known.
    if (!chosen.readable()) {
      writeLine(fmt::format("The options chosen on the page could not be read ({}): the run ends without starting.",
                            chosen.unreadable),
                Debug);
      endRun(reportUnreadableOptions());
      return false;
    }
    newOptions = std::move(chosen.choices);
  }
  // A path with a NUL names nothing the system could open; handed on, it would be cut there and name
  // another folder. (The command line cannot carry one; the page can.)
  for (const auto& [path, line] : {std::pair{&newScanPath, "The provided scan path does not exist!"},
                                   std::pair{&newTestPath, "The provided test path does not exist!"}}) {
    if (path->find(L'\0') == std::wstring::npos) continue;
    endRun(reportProblem(line));
    return false;
  }
  // Resolved once, before the library runs: a library that changes the working directory must not make
  // the scan, or a removal, find another folder of the same name.
  newScanPath = anchoredPath(newScanPath, [this](std::wstring_view path) { return platform->fullPathOf(path); });
  scanPath = newScanPath;
  testPath = newTestPath;
  options = newOptions;

  InitParams params{newScanPath, newTestPath, newOptions, log};
  std::string errorText;
  if (init(&params, &errorText)) return true;
  // Nobody may watch a run from the command line: its log must tell that the library refused.
  endRun(reportInitFailure(std::move(errorText), settings != nullptr));
  return false;
}

void Decryptor::tellNotSearched(const std::wstring& path, NotSearchedReason reason, uint32_t error, bool driveRoot) {
  if (observer) observer->notSearched(NotSearched{path, reason, error, driveRoot});
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
      tellNotSearched(root, NotSearchedReason::NoMedium, openError, kind == RootKind::Drive);
      return NotEncrypted;
    }
    writeLine(fmt::format("Could not open \"{}\" for scanning: {}", text::ansi_from_wide(root),
                          platform->systemMessage(openError)),
              Info);
    tellNotSearched(root, NotSearchedReason::CouldNotOpen, openError, kind == RootKind::Drive);
    return Failed;
  }
  const OptionChoice* backup = findChoice(options, OptionBackup);
  const bool keepEncrypted = backup && backup->checked;
  const FullPathOf fullPathOf = [this](std::wstring_view path) { return platform->fullPathOf(path); };

  WalkEntry entry;
  std::wstring searched;  // the folder the observer was last told of
  while (!stopped && walk->next(entry)) {
    if (observer) {
      const std::wstring_view folder = folderOf(entry.path);
      if (folder != searched) {
        searched = folder;
        observer->searching(searched);
      }
    }
    switch (entry.kind) {
      case WalkEntry::RegularFile:
        break;
      case WalkEntry::Unreadable:
        writeLine(fmt::format("Could not read the status of \"{}\": {}", text::ansi_from_wide(entry.path),
                              platform->systemMessage(entry.error)),
                  Info);
        ++failedCount;
        result = Failed;
        tellNotSearched(entry.path, NotSearchedReason::StatusUnreadable, entry.error, false);
        continue;
      case WalkEntry::FolderNotSearched:
        // Its files were never offered, so the root cannot count as done, whatever was found elsewhere.
        writeLine(fmt::format("The folder \"{}\" could not be searched: {}", text::ansi_from_wide(entry.path),
                              platform->systemMessage(entry.error)),
                  Info);
        tally.notSearched.add(entry.path);
        result = Failed;
        tellNotSearched(entry.path, NotSearchedReason::ListingBroken, entry.error, false);
        continue;
      case WalkEntry::FolderDenied:
        // Passed over without a log line of its own; the count is logged at the end, the observer hears of each.
        tally.denied.add(entry.path);
        tellNotSearched(entry.path, NotSearchedReason::AccessDenied, entry.error, false);
        continue;
      case WalkEntry::NotHere:
        ++tally.notHere;
        if (observer) observer->passedOverAsNotHere(entry.path);
        continue;
      case WalkEntry::Other:
        continue;
    }
    bool diskFull = false;
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
      diskFull = code == NoDiskSpace;
      FileAnswer answer{file.native(), code, EncryptedCopy::Untouched, 0, {}};
      if (code == Decrypted) {
        answer.removal = keepEncrypted ? Removal{Removal::NotTaken, Removal::BackupChosen, 0, {}}
                                       : removeListedFile(platform->fileHandles(), file.native(), entry.folderFinalPath,
                                                          entry.name, entry.folderError);
        const Removal& removal = answer.removal;
        if (removal.reason == Removal::SystemError) {
          // The file is restored all the same; its encrypted copy must not pass for gone.
          writeLine(fmt::format("The encrypted file \"{}\" was decrypted but could not be removed: {}",
                                text::ansi_from_wide(file.native()), platform->systemMessage(removal.error)),
                    Info);
        } else if (const std::string line = removalLine(text::ansi_from_wide(file.native()), removal,
                                                        platform->systemMessage(removal.error));
                   !line.empty()) {
          writeLine(line, Debug);
        }
        if (removal.outcome != Removal::Removed && removal.reason != Removal::BackupChosen) ++tally.removalsRefused;
        answer.copy = removal.outcome == Removal::Removed       ? EncryptedCopy::Removed
                      : removal.reason == Removal::BackupChosen ? EncryptedCopy::KeptAsBackup
                                                                : EncryptedCopy::RemovalRefused;
        answer.removalError = removal.error;
      }
      if (observer) observer->fileAnswered(answer);
    } catch (...) {
      // A file the library could not cope with must not end the scan of the others.
    }
    if (diskFull) return result;
  }
  return result;
}
