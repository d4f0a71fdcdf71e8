#include "session.h"

#include <exception>
#include <fmt/format.h>
#include <fmt/ranges.h>
#include <functional>
#include <thread>

#include "foreign_files.h"
#include "log_watch.h"
#include "protocol.h"
#include "rules.h"
#include "text.h"

namespace keyloom_check {
namespace {

Row row(const std::string& id, Status status, std::string detail) {
  return Row{id, rules::title(id), status, std::move(detail)};
}

// Runs one call into the library; an exception that escapes it is caught and described.
template <class Call>
bool callGuarded(Call&& call, std::string& what) {
  try {
    call();
    return true;
  } catch (const std::exception& error) {
    what = fmt::format("an exception ({})", error.what());
  } catch (...) {
    what = "an exception of unknown type";
  }
  return false;
}

// What a session saw across its calls, reported at its end.
class Session {
 public:
  Session(const CheckedLibrary& library, const SessionPlatform& platform, const SessionSettings& settings)
      : library_(library), platform_(platform), settings_(settings) {}

  void run();

 private:
  void plan(const std::vector<std::string>& ids) {
    for (const std::string& id : ids) platform_.emit(protocol::planLine(id));
  }
  void enter(const std::string& id) { platform_.emit(protocol::enterLine(id)); }
  void report(const Row& r) { platform_.emit(protocol::rowLine(r)); }

  void afterCall(const std::string& call) {
    if (!textsProblem_.empty()) return;
    const std::string difference = textsDifference(texts_, *info_);
    if (!difference.empty()) textsProblem_ = fmt::format("after {}: {}", call, difference);
  }
  void noteException(const std::string& call, const std::string& what) {
    exceptions_.push_back(fmt::format("{} let {} escape", call, what));
  }

  bool getInfo();
  InitParams validParams(const std::wstring& scanPath) const;
  bool callInit(InitParams params, bool& accepted, std::string& errorText);
  CallResult decrypt(const std::wstring& path, const std::string& forWhat);
  void runInfo();
  void runFiles();
  // The write checks: a valid Init (with Replace checked for the full disk) on the worker thread, then body
  // with the sample they restore; Finish at the end.
  void runWithSample(bool replace, const std::string& id, const std::function<void(const SampleCase&)>& body);
  void runInterrupted(const SampleCase& sample);
  void runAfterInterruption(const SampleCase& sample);
  void runFullDisk(const SampleCase& sample);
  std::wstring sampleFolder(const SampleCase& sample) const { return settings_.workFolder + L"\\" + sample.folderName; }
  std::vector<std::string> fileCheckIds(const std::vector<ForeignFile>& foreign, const SampleSet& samples) const;
  void checkForeign(const std::vector<ForeignFile>& files, bool extensionKnown);
  void checkSamples(const SampleSet& samples);
  void finishAndListen();
  void reportSessionEnd(bool initialised);

  const CheckedLibrary& library_;
  const SessionPlatform& platform_;
  const SessionSettings& settings_;
  ToolInfo* info_ = nullptr;
  TextsCopy texts_;
  std::string textsProblem_;
  std::vector<std::string> exceptions_;
  std::vector<std::string> outOfRange_;
};

bool Session::getInfo() {
  // The tool's record: zero bytes everywhere, kept for the life of the process.
  info_ = new ToolInfo();
  std::string what;
  const bool returned = callGuarded([&] { library_.exports.getInfo(info_); }, what);
  if (!returned) noteException("GetInfo", what);
  texts_ = copyTexts(*info_);
  return returned;
}

InitParams Session::validParams(const std::wstring& scanPath) const {
  // Every option the page shows, the tool's own included, as a user who changed nothing would send them;
  // Backup is on, as the checker never removes an encrypted file anyway.
  std::vector<OptionChoice> choices = {{true, OptionBackup}, {false, OptionWholeScan}, {false, OptionOverwrite}};
  for (const ToolOption& option : info_->options) choices.push_back({option.checkedByDefault, option.id});
  return InitParams{scanPath, settings_.testPath, choices, log_watch::callback()};
}

bool Session::callInit(InitParams params, bool& accepted, std::string& errorText) {
  InitParams* placed = platform_.placeInitParams(std::move(params));
  std::string what;
  const bool returned = callGuarded([&] { accepted = library_.exports.init(placed, &errorText); }, what);
  platform_.retireInitParams(placed);
  if (!returned) noteException("Init", what);
  afterCall("Init");
  return returned;
}

CallResult Session::decrypt(const std::wstring& path, const std::string& forWhat) {
  CallResult result;
  const std::filesystem::path file(path);
  std::string what;
  if (!callGuarded([&] { result.code = library_.exports.decryptSingleFile(&file); }, what)) {
    result.threw = true;
    result.what = what;
    noteException(fmt::format("DecryptSingleFile ({})", forWhat), what);
  } else if (result.code < NotEncrypted || result.code > Failed) {
    outOfRange_.push_back(fmt::format("{} for {}", result.code, forWhat));
  }
  afterCall("DecryptSingleFile");
  return result;
}

void Session::runInfo() {
  const Row exports = checkExports(library_.found);
  report(exports);
  if (exports.status != Status::Passed) return;  // the tool would not start with this library
  plan(
      {rules::kInfoTexts, rules::kOptionIds, rules::kInitMissingTestFolder, rules::kNoExceptions, rules::kTextsStable});

  enter(rules::kInfoTexts);
  const bool returned = getInfo();
  Row texts = checkInfoTexts(*info_);
  if (!returned) {
    texts.status = Status::Failed;
    texts.detail = "GetInfo did not return normally; " + texts.detail;
  }
  report(texts);
  report(checkOptionIds(*info_));

  if (!info_->testPathEnabled) {
    report(row(rules::kInitMissingTestFolder, Status::Skipped, "the library does not ask for a test folder"));
  } else {
    std::thread worker([&] {
      const std::wstring scan = settings_.workFolder + L"\\scan";
      platform_.makeFolder(scan);
      InitParams params = validParams(scan);
      params.testPath = settings_.workFolder + L"\\missing-test-folder";  // never created
      enter(rules::kInitMissingTestFolder);
      bool accepted = false;
      std::string errorText;
      const bool initReturned = callInit(std::move(params), accepted, errorText);
      Row r = row(rules::kInitMissingTestFolder, Status::Passed, "");
      if (!initReturned) {
        r.status = Status::Failed;
        r.detail = "Init did not return normally (see no-exceptions)";
      } else if (accepted) {
        r.status = Status::Failed;
        r.detail =
            "Init accepted a test folder that does not exist; a library that needs no test folder leaves "
            "testPathEnabled false";
        std::string what;
        if (!callGuarded([&] { library_.exports.finish(); }, what)) noteException("Finish", what);  // the tool would
        afterCall("Finish");
      } else if (errorText.empty()) {
        r.status = Status::Failed;
        r.detail = "Init refused but gave no error text: the user sees only \"Initialization failed.\"";
      } else if (!isValidUtf8(errorText)) {
        r.status = Status::Failed;
        r.detail = fmt::format("the error text \"{}\" is not valid UTF-8, and the page reads it as UTF-8",
                               shownText(errorText));
      } else {
        r.detail = fmt::format("refused with \"{}\"", errorText);
      }
      report(r);
    });
    worker.join();
  }
  reportSessionEnd(false);
}

std::vector<std::string> Session::fileCheckIds(const std::vector<ForeignFile>& foreign,
                                               const SampleSet& samples) const {
  std::vector<std::string> ids = {rules::kInitValid, rules::kInitParamsKept};
  for (const ForeignFile& file : foreign) ids.push_back(file.id);
  if (settings_.kind == SessionKind::Samples) {
    ids.push_back(rules::kSamplesLayout);
    for (const SampleCase& sample : samples.cases) ids.push_back(sample.id);
  }
  for (const char* id : {rules::kResultRange, rules::kNoExceptions, rules::kFinishReturns, rules::kNoLogAfterFinish,
                         rules::kTextsStable}) {
    ids.push_back(id);
  }
  return ids;
}

void Session::checkForeign(const std::vector<ForeignFile>& files, bool extensionKnown) {
  if (!extensionKnown) report(extensionUnknownRow());
  for (const ForeignFile& file : files) {
    const std::wstring folder = settings_.workFolder + L"\\" + std::wstring(file.id.begin(), file.id.end());
    const std::wstring path = folder + L"\\" + file.name;
    if (!platform_.makeFolder(folder) || !platform_.writeFile(path, file.content, file.readOnly)) {
      report(row(file.id, Status::Aborted, "the checker could not make its file " + utf8FromWide(path)));
      continue;
    }
    const Snapshot before = platform_.snapshot(folder);
    enter(file.id);
    const CallResult result = decrypt(path, utf8FromWide(file.name));
    report(judgeForeign(file, result, before, platform_.snapshot(folder)));
  }
}

void Session::checkSamples(const SampleSet& samples) {
  report(samplesLayoutRow(samples));
  for (const SampleCase& sample : samples.cases) {
    const std::wstring folder = settings_.workFolder + L"\\" + sample.folderName;
    const std::wstring path = folder + L"\\" + sample.encryptedName;
    if (!platform_.makeFolder(folder) || !platform_.writeFile(path, sample.encrypted, false)) {
      report(row(sample.id, Status::Aborted, "the checker could not copy the sample to " + utf8FromWide(path)));
      continue;
    }
    const Snapshot before = platform_.snapshot(folder);
    enter(sample.id);
    const CallResult result = decrypt(path, utf8FromWide(sample.encryptedName));
    report(judgeSample(sample, result, before, platform_.snapshot(folder)));
  }
}

void Session::finishAndListen() {
  enter(rules::kFinishReturns);
  std::string what;
  if (callGuarded([&] { library_.exports.finish(); }, what)) {
    report(row(rules::kFinishReturns, Status::Passed, ""));
  } else {
    noteException("Finish", what);
    report(row(rules::kFinishReturns, Status::Failed, "Finish did not return normally: it let " + what + " escape"));
  }
  afterCall("Finish");
  // A line written after Finish may come from a thread the library left running, so listen a while.
  log_watch::markFinishReturned();
  std::this_thread::sleep_for(settings_.lateLogWait);
  const auto late = log_watch::seen().afterFinish;
  if (late.empty()) {
    report(row(rules::kNoLogAfterFinish, Status::Passed, ""));
  } else {
    report(row(rules::kNoLogAfterFinish, Status::Failed,
               fmt::format("{} line(s) after Finish returned, the first \"{}\"; the tool's run is over by then and "
                           "the callback may no longer be used",
                           late.size(), shownText(late.front()))));
  }
}

void Session::reportSessionEnd(bool initialised) {
  if (initialised) {
    report(row(rules::kInitParamsKept, Status::Passed,
               "the record was made unreadable once Init returned, and the library did not touch it"));
    report(outOfRange_.empty()
               ? row(rules::kResultRange, Status::Passed, "")
               : row(rules::kResultRange, Status::Failed,
                     fmt::format("returned {}; the tool counts such a file nowhere", fmt::join(outOfRange_, ", "))));
  }
  report(exceptions_.empty()
             ? row(rules::kNoExceptions, Status::Passed, "")
             : row(rules::kNoExceptions, Status::Failed,
                   fmt::format("{}; an exception across the boundary can end the tool's run or the tool itself",
                               fmt::join(exceptions_, "; "))));
  report(textsProblem_.empty()
             ? row(rules::kTextsStable, Status::Passed, "")
             : row(rules::kTextsStable, Status::Failed,
                   textsProblem_ + "; the tool reads the record for as long as the library is loaded"));
}

void Session::runFiles() {
  const bool withSamples = !settings_.samplesFolder.empty();
  const SampleSet samples = withSamples ? loadSamples(settings_.samplesFolder, platform_.reader) : SampleSet{};
  const std::vector<std::wstring> extensions = sampleExtensions(samples);
  const std::vector<ForeignFile> foreign =
      settings_.kind == SessionKind::Foreign ? foreignFiles(extensions) : std::vector<ForeignFile>{};
  plan(fileCheckIds(foreign, samples));
  enter(rules::kInfoTexts);  // a GetInfo that crashes here is named as in the info session
  getInfo();

  std::thread worker([&] {
    const std::wstring scan = settings_.workFolder;
    enter(rules::kInitValid);
    bool accepted = false;
    std::string errorText;
    const bool returned = callInit(validParams(scan), accepted, errorText);
    if (!returned || !accepted) {
      std::string detail = returned ? fmt::format("Init refused: \"{}\"", shownText(errorText))
                                    : "Init did not return normally (see no-exceptions)";
      if (info_->testPathEnabled && settings_.testPath.empty()) {
        detail += "; the library asks for a test folder: give one with --test-path";
      }
      report(row(rules::kInitValid, Status::Failed, detail));
      const std::string skipped = "not checked: Init did not succeed";
      for (const std::string& id : fileCheckIds(foreign, samples)) {
        if (id != rules::kInitValid && id != rules::kNoExceptions && id != rules::kTextsStable) {
          report(row(id, Status::Skipped, skipped));
        }
      }
      reportSessionEnd(false);
      return;
    }
    report(row(rules::kInitValid, Status::Passed, ""));
    if (settings_.kind == SessionKind::Foreign) checkForeign(foreign, !extensions.empty());
    if (settings_.kind == SessionKind::Samples) checkSamples(samples);
    finishAndListen();
    reportSessionEnd(true);
  });
  worker.join();
}

void Session::runWithSample(bool replace, const std::string& id, const std::function<void(const SampleCase&)>& body) {
  const SampleSet samples = loadSamples(settings_.samplesFolder, platform_.reader);
  const SampleCase* sample = sampleForWriteChecks(samples);
  enter(rules::kInfoTexts);
  getInfo();
  std::thread worker([&] {
    InitParams params = validParams(settings_.workFolder);
    for (OptionChoice& choice : params.options) {
      if (choice.id == OptionOverwrite) choice.checked = replace;
    }
    enter(rules::kInitValid);
    bool accepted = false;
    std::string errorText;
    if (!callInit(std::move(params), accepted, errorText) || !accepted) {
      report(row(id, Status::Skipped, "not checked: Init did not succeed (see init-valid)"));
    } else if (!sample) {
      report(row(id, Status::Skipped, "not checked: no sample (see samples-layout)"));
    } else if (!platform_.setWriteFault) {
      report(row(id, Status::Skipped, "not checked: the library's writes cannot be reached"));
    } else {
      body(*sample);
      std::string what;
      if (!callGuarded([&] { library_.exports.finish(); }, what)) noteException("Finish", what);
      afterCall("Finish");
    }
    reportSessionEnd(false);
  });
  worker.join();
}

void Session::runInterrupted(const SampleCase& sample) {
  const std::wstring folder = sampleFolder(sample);
  const std::wstring path = folder + L"\\" + sample.encryptedName;
  if (!platform_.makeFolder(folder) || !platform_.writeFile(path, sample.encrypted, false)) {
    report(row(rules::kInterruptedWrite, Status::Aborted,
               "the checker could not copy the sample to " + utf8FromWide(path)));
    return;
  }
  platform_.setWriteFault(WriteFault::Kill);
  enter(rules::kInterruptedWrite);
  const CallResult result = decrypt(path, utf8FromWide(sample.encryptedName));
  // Still here: no write reached the fault, so the process was not ended.
  platform_.setWriteFault(WriteFault::None);
  report(row(rules::kInterruptedWrite, Status::Skipped,
             fmt::format("{}: answered {} without writing through WriteFile, so no write could be interrupted",
                         utf8FromWide(sample.encryptedName), resultName(result.code))));
}

void Session::runAfterInterruption(const SampleCase& sample) {
  const std::wstring folder = sampleFolder(sample);
  enter(rules::kInterruptedWrite);
  const CallResult result = decrypt(folder + L"\\" + sample.encryptedName, utf8FromWide(sample.encryptedName));
  report(judgeAfterInterruption(sample, result, platform_.snapshot(folder)));
}

void Session::runFullDisk(const SampleCase& sample) {
  const std::wstring folder = sampleFolder(sample);
  const std::wstring path = folder + L"\\" + sample.encryptedName;
  const std::string name = utf8FromWide(sample.encryptedName);
  if (!platform_.makeFolder(folder) || !platform_.writeFile(path, sample.encrypted, false)) {
    report(row(rules::kFullDiskMidWrite, Status::Aborted,
               "the checker could not copy the sample to " + utf8FromWide(path)));
    return;
  }
  enter(rules::kFullDiskMidWrite);
  const CallResult first = decrypt(path, name);
  const Snapshot restored = platform_.snapshot(folder);
  const std::wstring restoredName = restoredEntry(sample, restored);
  if (first.threw || first.code != Decrypted || restoredName.empty()) {
    report(row(rules::kFullDiskMidWrite, Status::Skipped,
               fmt::format("not checked: {} was not restored to begin with (see the sample's own row)", name)));
    return;
  }
  platform_.setWriteFault(WriteFault::DiskFull);
  const CallResult second = decrypt(path, name);
  const bool met = platform_.setWriteFault(WriteFault::None);
  if (!met && !second.threw && second.code != NoDiskSpace) {
    report(row(rules::kFullDiskMidWrite, Status::Skipped,
               fmt::format("{}: restored again with Replace checked, the library answered {} without writing through "
                           "WriteFile, so no write could fail",
                           name, resultName(second.code))));
    return;
  }
  report(judgeFullDisk(sample, second, restored, platform_.snapshot(folder), restoredName));
}

void Session::run() {
  log_watch::reset();
  switch (settings_.kind) {
    case SessionKind::Info:
      runInfo();
      break;
    case SessionKind::Foreign:
    case SessionKind::Samples:
      runFiles();
      break;
    case SessionKind::Interrupted:
      runWithSample(false, rules::kInterruptedWrite, [this](const SampleCase& s) { runInterrupted(s); });
      break;
    case SessionKind::AfterInterruption:
      plan({rules::kInterruptedWrite});
      runWithSample(false, rules::kInterruptedWrite, [this](const SampleCase& s) { runAfterInterruption(s); });
      break;
    case SessionKind::FullDisk:
      plan({rules::kFullDiskMidWrite});
      runWithSample(true, rules::kFullDiskMidWrite, [this](const SampleCase& s) { runFullDisk(s); });
      break;
  }
  platform_.emit(protocol::kDoneLine);
}

}  // namespace

const wchar_t* sessionName(SessionKind kind) {
  switch (kind) {
    case SessionKind::Info:
      return L"info";
    case SessionKind::Foreign:
      return L"foreign";
    case SessionKind::Samples:
      return L"samples";
    case SessionKind::Interrupted:
      return L"interrupted";
    case SessionKind::AfterInterruption:
      return L"after-interruption";
    case SessionKind::FullDisk:
      return L"full-disk";
  }
  return L"";
}

bool sessionFromName(const std::wstring& name, SessionKind& kind) {
  for (SessionKind k : {SessionKind::Info, SessionKind::Foreign, SessionKind::Samples, SessionKind::Interrupted,
                        SessionKind::AfterInterruption, SessionKind::FullDisk}) {
    if (name == sessionName(k)) {
      kind = k;
      return true;
    }
  }
  return false;
}

void runSession(const CheckedLibrary& library, const SessionPlatform& platform, const SessionSettings& settings) {
  Session(library, platform, settings).run();
}

}  // namespace keyloom_check
