// The run's decisions, in-process: a Decryptor of the test's own with a fake page, a fake library and a
// fake machine. Nothing here touches the file system or a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <thread>

#include "engine/decryptor.h"
#include "engine/drive_roots.h"
#include "engine/folder_walk.h"
#include "engine/library_records.h"
#include "engine/listing_rule.h"
#include "engine/test_file_handles.h"
#include "engine/test_listing.h"

namespace {

using Lines = std::vector<std::string>;

constexpr uint32_t kErrorSharingViolation = 32;  // ERROR_SHARING_VIOLATION

// The library's exports and the log are plain function pointers, so their fakes reach the current test's
// state through these.
struct FakeLibrary {
  std::map<std::wstring, int32_t> results;  // by path; files not named answer NotEncrypted
  bool initSucceeds = true;
  std::string initError;
  std::function<void()> duringInit;
  std::function<void(const std::wstring& path)> duringFile;  // a stop, a closing window, an error
  std::wstring initScanPath;                                 // what Init was handed
  std::mutex lock;
  Lines calls;  // "Init", "File <path>", "Finish"
  Lines log;    // "Info: <message>", "Debug: <message>"

  void record(Lines& to, std::string line) {
    std::lock_guard guard(lock);
    to.push_back(std::move(line));
  }
};
FakeLibrary* library = nullptr;

std::string narrow(const std::wstring& wide) { return std::string(wide.begin(), wide.end()); }

ToolInfo* infoToPublish = nullptr;
bool fakeGetInfo(ToolInfo* info) {
  *info = *infoToPublish;
  return true;
}

bool fakeInit(InitParams* params, std::string* errorText) {
  library->record(library->calls, "Init");
  library->initScanPath = params->scanPath;
  if (params->log) params->log("the library's own line", Info);
  if (library->duringInit) library->duringInit();
  if (!library->initSucceeds) *errorText = library->initError;
  return library->initSucceeds;
}

int32_t fakeDecryptSingleFile(const std::filesystem::path* file) {
  library->record(library->calls, "File " + narrow(file->native()));
  if (library->duringFile) library->duringFile(file->native());
  const auto found = library->results.find(file->native());
  return found == library->results.end() ? NotEncrypted : found->second;
}

bool fakeFinish() {
  library->record(library->calls, "Finish");
  return true;
}

void fakeLog(std::string_view message, int level) {
  const char* word = level == Info ? "Info: " : level == Debug ? "Debug: " : "Other: ";
  library->record(library->log, word + std::string(message));
}

class FakePage : public RunPage {
 public:
  std::wstring encryptedPath;
  std::wstring testPath;
  std::vector<OptionChoice> options;
  std::string optionsUnreadable;  // why the option answer is no list of choices; empty: it is one
  std::string failing;            // the page function whose script rejects every call
  std::string closesOn;           // the page function during whose call the window goes away
  std::atomic<bool> gone{false};

  Lines calls() {
    std::lock_guard guard(lock_);
    return calls_;
  }
  // The calls that end a run: everything but the counters.
  Lines endCalls() {
    Lines out;
    for (const std::string& c : calls()) {
      if (c.rfind("setProgressInfo", 0) != 0) out.push_back(c);
    }
    return out;
  }

  bool closed() const override { return gone; }
  void disableScanPath() override { record("disableScanPath"); }
  void disableTestPath() override { record("disableTestPath"); }
  void disableBackup() override { record("disableBackup"); }
  void disableWholeScan() override { record("disableWholeScan"); }
  void disableOverwrite() override { record("disableOverwrite"); }
  void disableAdvancedOptions() override { record("disableAdvancedOptions"); }
  void addOptions(const std::vector<ToolOption>& list) override { record("addOptions " + std::to_string(list.size())); }
  void setRansomwareName(const char* name) override { record(std::string("setRansomwareName ") + (name ? name : "")); }
  void setToolDescription(const char* text) override {
    record(std::string("setToolDescription ") + (text ? text : ""));
  }
  std::wstring getEncryptedPath() override {
    record("getEncryptedPath");
    return encryptedPath;
  }
  std::wstring getTestPath() override {
    record("getTestPath");
    return testPath;
  }
  OptionsAnswer getOptions() override {
    record("getOptions");
    // A window that is gone answers nothing, as the engine does for a destroyed window.
    if (gone) return {{}, "no answer"};
    return {options, optionsUnreadable};
  }
  void setProgressInfo(std::string_view text) override { record("setProgressInfo " + std::string(text)); }
  void setFinalMessage(std::string_view text, TextEncoding encoding) override {
    record(std::string("setFinalMessage ") + (encoding == TextEncoding::Utf8 ? "utf8 " : "ansi ") + std::string(text));
  }
  void setLogPath() override { record("setLogPath"); }
  void showFinalStep(bool success) override { record(success ? "showFinalStep success" : "showFinalStep failure"); }

 private:
  void record(const std::string& call) {
    {
      std::lock_guard guard(lock_);
      calls_.push_back(call);
    }
    if (!closesOn.empty() && call == closesOn) gone = true;
    if (call.rfind(failing, 0) == 0 && !failing.empty()) throw std::runtime_error("script said no");
  }
  std::mutex lock_;
  Lines calls_;
};

// Every event of a run, as one line each.
class RecordingObserver : public RunObserver {
 public:
  Lines events;
  std::optional<RunReport> ended;

  void searching(const std::wstring& folder) override { events.push_back("searching " + narrow(folder)); }
  void fileAnswered(const FileAnswer& a) override {
    static const char* const copies[] = {"untouched", "removed", "kept", "refused"};
    std::string line =
        "file " + narrow(a.path) + " " + std::to_string(a.answer) + " " + copies[static_cast<int>(a.copy)];
    if (a.removalError) line += " " + std::to_string(a.removalError);
    events.push_back(line);
  }
  void notSearched(const NotSearched& n) override {
    static const char* const reasons[] = {"could-not-open", "no-medium", "denied", "broken", "unreadable"};
    events.push_back(std::string("not-searched ") + narrow(n.path) + " " + reasons[static_cast<int>(n.reason)] + " " +
                     std::to_string(n.error) + (n.driveRoot ? " drive" : ""));
  }
  void runEnded(const RunReport& report) override {
    ended = report;
    std::lock_guard guard(library->lock);
    libraryFinishedFirst = !library->calls.empty() && library->calls.back() == "Finish";
  }
  bool libraryFinishedFirst = false;

  Lines without(const std::string& prefix) const {
    Lines out;
    for (const std::string& e : events)
      if (e.rfind(prefix, 0) != 0) out.push_back(e);
    return out;
  }
};

// The machine's folders answering as Windows does, for the real folder walk: what the listing says of each
// entry (attributes and reparse tag), what a link points to, and roots that cannot be opened.
class WindowsFolders : public FolderSystem {
 public:
  struct Node {
    uint32_t attributes = kFile;
    uint32_t tag = 0;
    std::wstring target;  // of a link: where it points (a missing path for a dangling one)
  };
  static constexpr uint32_t kFile = 0x20;  // FILE_ATTRIBUTE_ARCHIVE
  static constexpr uint32_t kFolder = kAttributeDirectory;

  std::map<std::wstring, Node> nodes;        // by full path, roots ("\\?\C:\") included
  std::map<std::wstring, uint32_t> refused;  // folders ("<folder>\") that cannot be listed, with the error
  struct Break {
    size_t after;  // names listed, "." and ".." included, before the listing breaks off
    uint32_t error;
  };
  std::map<std::wstring, Break> breaks;                // folders ("<folder>\") whose listing breaks off
  std::map<std::wstring, uint32_t> unreadableTargets;  // links whose target cannot be examined, with the error
  TestFiles* handles = nullptr;                        // what the folders' final paths resolve through

  // The files among the nodes, as their handles show them, for the removal.
  void registerFiles(TestFiles& files) const {
    for (const auto& [path, node] : nodes) {
      if (!(node.attributes & kFolder)) files.files[path].facts = {node.attributes, node.tag, 1};
    }
  }

  std::unique_ptr<FolderListing> list(const std::wstring& given, uint32_t& error) override {
    const std::wstring pattern = handles ? handles->resolved(given) : given;
    const std::wstring folder = pattern.substr(0, pattern.size() - 1);  // "<folder>\" of "<folder>\*"
    if (const auto found = refused.find(folder); found != refused.end()) {
      error = found->second;
      return nullptr;
    }
    std::vector<ListedName> names;
    if (folder.size() > 7) names = {{L".", kFolder, 0}, {L"..", kFolder, 0}};  // a drive root has neither
    for (const auto& [path, node] : nodes) {
      if (path.size() > folder.size() && path.starts_with(folder) && path.find(L'\\', folder.size()) == path.npos)
        names.push_back({path.substr(folder.size()), node.attributes, node.tag});
    }
    if (names.empty()) {
      error = kErrorFileNotFound;
      return nullptr;
    }
    if (const auto broken = breaks.find(folder); broken != breaks.end()) {
      names.resize(std::min(names.size(), broken->second.after));
      return std::make_unique<TestListing>(std::move(names), broken->second.error);
    }
    return std::make_unique<TestListing>(std::move(names));
  }
  bool attributesOf(const std::wstring& given, uint32_t& attributes, uint32_t& error) override {
    const std::wstring path = handles ? handles->resolved(given) : given;
    if (const auto found = refused.find(path); found != refused.end()) {
      error = found->second;
      return false;
    }
    const auto found = nodes.find(path);
    if (found == nodes.end()) {
      error = kErrorFileNotFound;
      return false;
    }
    attributes = found->second.attributes;  // of a link, the link's own, as GetFileAttributesW answers
    return true;
  }
  bool targetAttributesOf(const std::wstring& path, uint32_t& attributes, uint32_t& error) override {
    if (const auto refused = unreadableTargets.find(path); refused != unreadableTargets.end()) {
      error = refused->second;
      return false;
    }
    const auto link = nodes.find(path);
    const auto target = link == nodes.end() ? nodes.end() : nodes.find(link->second.target);
    if (target == nodes.end()) {
      error = kErrorFileNotFound;
      return false;
    }
    attributes = target->second.attributes;
    return true;
  }
  // Relative paths resolve against the working directory as it is at each call, as the system's do.
  std::wstring fullPathOf(std::wstring_view path) override { return handles->resolved(std::wstring(path)); }
  std::wstring finalPathOf(const std::wstring& folder, uint32_t& error) override {
    return handles->finalPathOfFolder(folder, error);
  }
};

class FakeWalk : public EntryWalk {
 public:
  explicit FakeWalk(const std::map<std::wstring, std::vector<WalkEntry>>& trees) : trees_(trees) {}
  bool open(const std::wstring& root, uint32_t& error) override {
    const auto found = trees_.find(root);
    if (found == trees_.end()) {
      error = 3;
      return false;
    }
    entries_ = found->second;
    return true;
  }
  bool next(WalkEntry& entry) override {
    if (next_ >= entries_.size()) return false;
    entry = entries_[next_++];
    return true;
  }

 private:
  const std::map<std::wstring, std::vector<WalkEntry>>& trees_;
  std::vector<WalkEntry> entries_;
  size_t next_ = 0;
};

class FakeMachine : public RunPlatform {
 public:
  std::map<std::wstring, std::vector<WalkEntry>> trees;  // by root
  std::map<wchar_t, unsigned> driveTypes;                // letters not named have no root
  std::map<std::wstring, uint32_t> openErrors;           // roots that cannot be opened, with the error
  Lines walked;
  TestFiles files;  // the files' handles, for the removal

  Lines removed() const {
    Lines out;
    for (const std::wstring& path : files.removed) out.push_back(narrow(path));
    return out;
  }

  // A regular file as the walk lists it: its name and its folder's final path as of now.
  WalkEntry listedFile(const std::wstring& path) {
    const size_t separator = path.find_last_of(L'\\');
    WalkEntry entry{path, WalkEntry::RegularFile, 0};
    entry.name = path.substr(separator + 1);
    entry.folderFinalPath = files.finalPathOfFolder(path.substr(0, separator), entry.folderError);
    files.files[path];
    return entry;
  }
  std::map<std::wstring, unsigned> folderTypes;     // mounted folders, by path
  std::map<std::wstring, std::wstring> dosDevices;  // by drive ("E:"); others answer a volume device
  std::vector<LocalVolume> volumes;

  // A folder of regular files, with the library's answer for each.
  void folder(const std::wstring& root, const std::vector<int32_t>& results) {
    auto& entries = trees[root];
    for (size_t i = 0; i < results.size(); ++i) {
      const std::wstring path = joinPath(root, L"file" + std::to_wstring(i));
      entries.push_back(listedFile(path));
      library->results[path] = results[i];
    }
  }

  WindowsFolders* folders = nullptr;  // when set, the real folder walk lists these instead of the trees

  std::unique_ptr<EntryWalk> newWalk() override {
    if (folders) {
      folders->handles = &files;
      return std::make_unique<FolderWalk>(*folders);
    }
    return std::make_unique<RecordingWalk>(*this);
  }
  FileHandles& fileHandles() override { return files; }
  unsigned driveType(const std::wstring& root) override {
    if (root.size() > 3) {
      const auto mounted = folderTypes.find(root);
      return mounted == folderTypes.end() ? unsigned{DriveNoRoot} : mounted->second;
    }
    const auto found = driveTypes.find(root[0]);
    return found == driveTypes.end() ? unsigned{DriveNoRoot} : found->second;
  }
  // Paths in these tests are full already; a relative one resolves under the working directory.
  std::wstring fullPathOf(std::wstring_view path) override { return files.resolved(std::wstring(path)); }
  std::wstring dosDeviceOf(const std::wstring& drive) override {
    const auto found = dosDevices.find(drive);
    return found == dosDevices.end() ? L"\\Device\\HarddiskVolume" + std::to_wstring(drive[0] - L'A') : found->second;
  }
  std::vector<LocalVolume> localVolumes() override { return volumes; }
  std::string systemMessage(uint32_t code) override { return "system error " + std::to_string(code); }

 private:
  struct RecordingWalk : FakeWalk {
    explicit RecordingWalk(FakeMachine& machine) : FakeWalk(machine.trees), machine_(machine) {}
    bool open(const std::wstring& root, uint32_t& error) override {
      machine_.walked.push_back(narrow(root));
      if (const auto refused = machine_.openErrors.find(root); refused != machine_.openErrors.end()) {
        error = refused->second;
        return false;
      }
      return FakeWalk::open(root, error);
    }
    FakeMachine& machine_;
  };
};

// Waits, polling, for something another thread does; fails the test instead of hanging.
void waitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 500 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(done());
}

// A Decryptor that talks only to fakes of its own. While it lives, the fake exports reach its library; at its
// end it waits for the run and hands the exports back to the library they reached before. A test's table
// case makes one of its own and sets only what differs.
class FakeRun {
 public:
  FakeRun() : previous_(library) {
    library = &lib;
    decryptor.window = &page;
    decryptor.log = &fakeLog;
    decryptor.init = &fakeInit;
    decryptor.decryptSingleFile = &fakeDecryptSingleFile;
    decryptor.finish = &fakeFinish;
    decryptor.platform = &machine;
  }
  ~FakeRun() {
    decryptor.run.wait();
    library = previous_;
  }
  FakeRun(const FakeRun&) = delete;
  FakeRun& operator=(const FakeRun&) = delete;

  // A silent run over the folder with the given options; returns once it has ended.
  void runOver(const std::wstring& folder, std::vector<OptionChoice> options = {{true, OptionBackup}}) {
    decryptor.startRun(std::make_unique<RunSettings>(RunSettings{folder, L"", std::move(options)}));
    decryptor.run.wait();
  }
  // A run that reads its settings from the page, as the window's Start does; returns once it has ended.
  void runFromThePage() {
    decryptor.startRun();
    decryptor.run.wait();
  }
  Lines files() {
    Lines out;
    for (const std::string& call : lib.calls) {
      if (call.rfind("File ", 0) == 0) out.push_back(call.substr(5));
    }
    return out;
  }
  Lines infoLines() {
    Lines out;
    for (const std::string& line : lib.log) {
      if (line.rfind("Info: ", 0) == 0) out.push_back(line.substr(6));
    }
    return out;
  }
  bool logged(const std::string& part) {
    for (const std::string& line : lib.log) {
      if (line.find(part) != std::string::npos) return true;
    }
    return false;
  }

  FakeLibrary lib;
  FakePage page;
  FakeMachine machine;
  Decryptor decryptor;

 private:
  FakeLibrary* previous_;
};

constexpr const char* kEnded = "The decryption process has ended.";
constexpr const char* kStopLine =
    "The decryption process has been stopped! Waiting for the last file to be decrypted, to avoid corruption...";
const std::wstring kFolder = L"D:\\victim";

class Run : public testing::Test, protected FakeRun {};

TEST_F(Run, OutcomeTable) {
  const struct {
    const char* name;
    std::vector<int32_t> results;  // in the order the walk meets the files
    const char* message;
    bool logPath, success;
    size_t offered;  // a full disk ends the root
  } cases[] = {
      {"nothing encrypted", {0, 0}, "Scan finished, no encrypted files have been found!", false, true, 2},
      {"empty folder", {}, "Scan finished, no encrypted files have been found!", false, true, 0},
      {"decrypted", {1, 0, 1}, "The threat is gone!", false, true, 3},
      {"disk full ends the root",
       {1, 2, 1},
       "The recovery process has been stopped due to insufficient disk space.",
       true,
       false,
       2},
      {"some failed",
       {1, 3, 1, 3, 0},
       "The recovery process has failed for some files. Only 2 from 4 files were decrypted.",
       true,
       false,
       5},
      {"failure outranks a later full disk",
       {3, 1, 2, 1},
       "The recovery process has failed for some files. Only 1 from 3 files were decrypted.",
       true,
       false,
       3},
      {"all failed", {3, 0, 3}, "Your files couldn't be decrypted", true, false, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun fresh;
    fresh.machine.folder(kFolder, c.results);
    fresh.runOver(kFolder, {{true, OptionBackup}});

    EXPECT_EQ(fresh.infoLines(), (Lines{"the library's own line", "Scanning system...", kEnded, c.message}));
    Lines expected = {std::string("setFinalMessage ansi ") + c.message};
    if (c.logPath) expected.push_back("setLogPath");
    expected.push_back(c.success ? "showFinalStep success" : "showFinalStep failure");
    EXPECT_EQ(fresh.page.endCalls(), expected);
    ASSERT_FALSE(fresh.lib.calls.empty());
    EXPECT_EQ(fresh.lib.calls.front(), "Init");
    EXPECT_EQ(fresh.lib.calls.back(), "Finish");
    EXPECT_EQ(fresh.lib.calls.size(), c.offered + 2);
    EXPECT_EQ(fresh.decryptor.run.phase(), RunPhase::Finished);
    EXPECT_TRUE(fresh.decryptor.stopped);
  }
}

TEST_F(Run, DecryptedFilesAreRemovedUnlessBackupIsChecked) {
  const struct {
    const char* name;
    std::vector<OptionChoice> options;
    Lines removed;
  } cases[] = {
      {"backup checked", {{true, OptionBackup}, {false, OptionWholeScan}}, {}},
      {"backup unchecked",
       {{false, OptionWholeScan}, {false, OptionBackup}},
       {"D:\\victim\\file0", "D:\\victim\\file3"}},
      {"no backup choice", {{true, 10}}, {"D:\\victim\\file0", "D:\\victim\\file3"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun fresh;
    fresh.machine.folder(kFolder, {1, 0, 3, 1});
    fresh.runOver(kFolder, c.options);
    EXPECT_EQ(fresh.machine.removed(), c.removed);
  }
}

TEST_F(Run, AReadOnlyEncryptedFileIsRemovedAndARemovalRefusedIsSaidInTheLogAndTheOutcome) {
  for (const bool newerSystem : {false, true}) {
    SCOPED_TRACE(newerSystem ? "Windows 10 1809 on" : "an older system");
    FakeRun fresh;
    fresh.machine.files.extendedDisposition = newerSystem;
    fresh.machine.folder(kFolder, {1, 1, 1, 1});
    fresh.machine.files.files[kFolder + L"\\file0"].facts.attributes |= TestFiles::kReadOnlyAttribute;
    for (const wchar_t* held : {L"\\file1", L"\\file3"}) {
      fresh.machine.files.openErrors[kFolder + held] = kErrorSharingViolation;  // open elsewhere, no delete sharing
    }
    fresh.runOver(kFolder, {{false, OptionBackup}});
    EXPECT_EQ(fresh.machine.removed(), (Lines{"D:\\victim\\file0", "D:\\victim\\file2"}));
    EXPECT_TRUE(
        fresh.logged("Info: The encrypted file \"D:\\victim\\file1\" was decrypted but could not be removed: "
                     "system error 32"))
        << testing::PrintToString(fresh.lib.log);
    EXPECT_TRUE(fresh.logged("Info: The encrypted file \"D:\\victim\\file3\" was decrypted but could not be removed"));
    const Lines info = fresh.infoLines();
    EXPECT_EQ(Lines(info.end() - 3, info.end()),
              (Lines{kEnded, "The threat is gone!",
                     "2 restored files left their encrypted copy in place, as it could not be removed; the log names "
                     "each. Remove them before a later run, which would decrypt them again over the restored files."}));
  }
}

TEST_F(Run, WholeSystemScansEligibleDrivesInLetterOrderAndAFullDiskEndsOnlyItsRoot) {
  machine.driveTypes = {{L'A', DriveFixed},   {L'C', DriveFixed},  {L'D', DriveCdRom},  {L'E', DriveRemovable},
                        {L'F', DriveUnknown}, {L'H', DriveRemote}, {L'Y', DriveRamDisk}};
  for (const wchar_t* root : {L"\\\\?\\H:\\", L"\\\\?\\Y:\\"}) machine.folder(root, {});
  machine.folder(L"\\\\?\\C:\\", {2, 1});
  machine.folder(L"\\\\?\\E:\\", {1});
  runOver(kFolder, {{true, OptionBackup}, {true, OptionWholeScan}});
  EXPECT_EQ(machine.walked, (Lines{"\\\\?\\C:\\", "\\\\?\\E:\\", "\\\\?\\H:\\", "\\\\?\\Y:\\"}));
  EXPECT_EQ(files(), (Lines{"\\\\?\\C:\\file0", "\\\\?\\E:\\file0"}));
  EXPECT_EQ(page.endCalls().front(),
            "setFinalMessage ansi The recovery process has been stopped due to insufficient disk space.");
}

TEST_F(Run, TheFirstWholeScanChoiceDecidesBetweenDrivesAndTheScanPath) {
  const struct {
    const char* name;
    std::vector<OptionChoice> options;
    Lines walked;
  } cases[] = {
      {"checked", {{true, OptionWholeScan}, {false, OptionWholeScan}}, {"\\\\?\\C:\\"}},
      {"unchecked", {{false, OptionWholeScan}, {true, OptionWholeScan}}, {"D:\\victim"}},
      {"absent", {{true, OptionBackup}}, {"D:\\victim"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun fresh;
    fresh.machine.driveTypes = {{L'C', DriveFixed}};
    fresh.machine.folder(L"\\\\?\\C:\\", {});
    fresh.machine.folder(kFolder, {});
    fresh.runOver(kFolder, c.options);
    EXPECT_EQ(fresh.machine.walked, c.walked);
  }
}

TEST_F(Run, AStopFinishesTheFileInHandAndTakesEffectBeforeTheNextEntry) {
  machine.folder(kFolder, {1, 1, 1, 1});
  lib.duringFile = [this](const std::wstring& path) {
    if (path.ends_with(L"file1")) decryptor.requestStop();
  };
  runOver(kFolder);
  EXPECT_EQ(files(), (Lines{"D:\\victim\\file0", "D:\\victim\\file1"}));
  EXPECT_EQ(lib.calls.back(), "Finish");
  const Lines info = infoLines();
  EXPECT_EQ(Lines(info.end() - 3, info.end()), (Lines{kStopLine, kEnded, "The threat is gone!"}));
  EXPECT_EQ(page.endCalls(), (Lines{"setFinalMessage ansi The threat is gone!", "showFinalStep success"}));
  decryptor.requestStop();
  EXPECT_EQ(infoLines().size(), info.size()) << "a stop after the end changes nothing";
}

TEST_F(Run, AStopDuringAWholeSystemScanLeavesTheRemainingRootsUnvisited) {
  machine.driveTypes = {{L'C', DriveFixed}, {L'E', DriveFixed}};
  machine.folder(L"\\\\?\\C:\\", {1, 1});
  machine.folder(L"\\\\?\\E:\\", {1});
  lib.duringFile = [this](const std::wstring&) { decryptor.requestStop(); };
  runOver(kFolder, {{true, OptionWholeScan}});
  EXPECT_EQ(machine.walked, (Lines{"\\\\?\\C:\\"}));
  EXPECT_EQ(files(), (Lines{"\\\\?\\C:\\file0"}));
  EXPECT_EQ(lib.calls.back(), "Finish");
}

TEST_F(Run,
       AWholeSystemScanEntersCloudFoldersNotLinksOffersOnlyPlainFilesWhoseDataIsHereAndPassesOverADriveWithoutAMedium) {
  constexpr uint32_t kReparse = kAttributeReparsePoint;
  WindowsFolders folders;
  const std::wstring me = L"\\\\?\\C:\\Users\\me";
  folders.nodes = {
      {L"\\\\?\\C:\\", {WindowsFolders::kFolder}},
      {L"\\\\?\\C:\\Users", {WindowsFolders::kFolder}},
      {me, {WindowsFolders::kFolder}},
      {me + L"\\OneDrive", {WindowsFolders::kFolder | kReparse, 0x9000301A}},  // IO_REPARSE_TAG_CLOUD_3
      {me + L"\\OneDrive\\Documents", {WindowsFolders::kFolder | kReparse, 0x9000301A}},
      {me + L"\\OneDrive\\Documents\\report.docx.kyl", {0x620, 0x9000301A}},  // a placeholder with its data here
      {me + L"\\OneDrive\\Documents\\online-only.docx.kyl", {0x501620, 0x9000301A}},  // its data in the cloud
      {me + L"\\AppData", {WindowsFolders::kFolder}},
      {me + L"\\AppData\\WindowsApps", {WindowsFolders::kFolder}},
      {me + L"\\AppData\\WindowsApps\\python.exe", {WindowsFolders::kFile | kReparse, 0x8000001B}},  // an alias
      {me + L"\\junction", {WindowsFolders::kFolder | kReparse, 0xA0000003, L"\\\\?\\C:\\Users"}},
      {me + L"\\junction\\through-the-junction.kyl", {}},
      {me + L"\\folder-link", {WindowsFolders::kFolder | kReparse, 0xA000000C, L"\\\\?\\C:\\Users"}},
      {me + L"\\folder-link\\through-the-link.kyl", {}},
      {me + L"\\linked.kyl", {WindowsFolders::kFile | kReparse, 0xA000000C, me + L"\\plain.kyl"}},
      {me + L"\\dangling.kyl", {WindowsFolders::kFile | kReparse, 0xA000000C, me + L"\\missing.kyl"}},
      {me + L"\\to-a-folder.kyl", {WindowsFolders::kFile | kReparse, 0xA000000C, L"\\\\?\\C:\\Users"}},
      {me + L"\\plain.kyl", {}},
      {L"\\\\?\\F:\\", {WindowsFolders::kFolder}},
      {L"\\\\?\\F:\\photo.kyl", {}},
  };
  folders.refused[L"\\\\?\\E:\\"] = kErrorNotReady;  // an empty card-reader slot
  folders.registerFiles(machine.files);
  machine.folders = &folders;
  machine.driveTypes = {{L'C', DriveFixed}, {L'E', DriveRemovable}, {L'F', DriveFixed}};
  // The links to files are passed over; plain.kyl, which one of them points to, is offered where it lies.
  const Lines offered = {narrow(me + L"\\OneDrive\\Documents\\report.docx.kyl"), narrow(me + L"\\plain.kyl"),
                         "\\\\?\\F:\\photo.kyl"};
  for (const std::string& path : offered) lib.results[std::wstring(path.begin(), path.end())] = Decrypted;

  runOver(kFolder, {{false, OptionBackup}, {true, OptionWholeScan}});
  EXPECT_EQ(files(), offered);
  EXPECT_EQ(machine.removed(), offered);
  EXPECT_TRUE(logged("Info: The drive E: was passed over: it holds no medium (the device is not ready)."))
      << testing::PrintToString(lib.log);
  EXPECT_TRUE(logged("Info: 1 file was passed over because its content is not on this computer"));
  EXPECT_EQ(page.endCalls(), (Lines{"setFinalMessage ansi The threat is gone!", "showFinalStep success"}))
      << "a drive without a medium, a cloud-only file and an app alias count for nothing";
}

TEST_F(Run, AFolderWhoseListingFailsIsPassedOverAndItsSiblingsAreStillScanned) {
  WindowsFolders folders;
  const std::wstring root = kFolder;
  folders.nodes = {
      {root, {WindowsFolders::kFolder}},
      {root + L"\\a.kyl", {}},
      {root + L"\\OneDrive", {WindowsFolders::kFolder | kAttributeReparsePoint, 0x9000301A}},
      {root + L"\\OneDrive\\unseen.kyl", {}},
      {root + L"\\System Volume Information", {WindowsFolders::kFolder}},
      {root + L"\\corrupt", {WindowsFolders::kFolder}},
      {root + L"\\corrupt\\first.kyl", {}},
      {root + L"\\corrupt\\second.kyl", {}},
      {root + L"\\later", {WindowsFolders::kFolder}},
      {root + L"\\later\\b.kyl", {}},
  };
  folders.refused[root + L"\\OneDrive\\"] = 1920;  // ERROR_CANT_ACCESS_FILE: its sync client is gone
  folders.refused[root + L"\\System Volume Information\\"] = kErrorAccessDenied;
  folders.breaks[root + L"\\corrupt\\"] = {3, 1392};  // ERROR_FILE_CORRUPT after ".", ".." and one name
  machine.folders = &folders;
  for (const wchar_t* name : {L"\\a.kyl", L"\\corrupt\\first.kyl", L"\\later\\b.kyl"})
    lib.results[root + name] = Decrypted;

  runOver(kFolder, {{true, OptionBackup}});
  EXPECT_EQ(files(), (Lines{"D:\\victim\\a.kyl", "D:\\victim\\corrupt\\first.kyl", "D:\\victim\\later\\b.kyl"}));
  EXPECT_TRUE(logged("Info: The folder \"D:\\victim\\OneDrive\" could not be searched: system error 1920"))
      << testing::PrintToString(lib.log);
  EXPECT_TRUE(logged("Info: The folder \"D:\\victim\\corrupt\" could not be searched: system error 1392"));
  EXPECT_TRUE(logged("Debug: 1 folder was passed over for lack of access: \"D:\\victim\\System Volume Information\"."));
  EXPECT_EQ(page.endCalls(),
            (Lines{"setFinalMessage ansi The recovery process has failed for some files. Only 3 from 3 files were "
                   "decrypted.",
                   "setLogPath", "showFinalStep failure"}));
}

TEST_F(Run, AWholeSystemScanScansEachVolumeOnceAndSaysWhichLettersItPassedOver) {
  constexpr uint32_t kMountPoint = WindowsFolders::kFolder | kAttributeReparsePoint;
  WindowsFolders folders;
  folders.nodes = {
      {L"\\\\?\\C:\\", {WindowsFolders::kFolder}},
      {L"\\\\?\\C:\\data", {WindowsFolders::kFolder}},
      {L"\\\\?\\C:\\data\\x.kyl", {}},
      {L"\\\\?\\C:\\mnt", {WindowsFolders::kFolder}},
      {L"\\\\?\\C:\\mnt\\photos", {kMountPoint, 0xA0000003}},  // where a volume without a letter is mounted
      {L"\\\\?\\C:\\mnt\\photos\\", {kMountPoint, 0xA0000003}},
      {L"\\\\?\\C:\\mnt\\photos\\p.kyl", {}},
      {L"\\\\?\\E:\\", {WindowsFolders::kFolder}},  // subst E: C:\data
      {L"\\\\?\\E:\\x.kyl", {}},
      {L"\\\\?\\G:\\", {WindowsFolders::kFolder}},
      {L"\\\\?\\G:\\g.kyl", {}},
      {L"\\\\?\\H:\\", {WindowsFolders::kFolder}},  // the same volume as G:
      {L"\\\\?\\H:\\g.kyl", {}},
  };
  machine.folders = &folders;
  machine.driveTypes = {{L'C', DriveFixed}, {L'E', DriveFixed}, {L'G', DriveRemovable}, {L'H', DriveRemovable}};
  machine.folderTypes = {{L"C:\\mnt\\photos\\", DriveFixed}};
  machine.dosDevices = {{L"E:", L"\\??\\C:\\data"}};
  machine.volumes = {{L"\\\\?\\Volume{1}\\", {L"C:\\"}},
                     {L"\\\\?\\Volume{2}\\", {L"C:\\mnt\\photos\\"}},
                     {L"\\\\?\\Volume{3}\\", {L"G:\\", L"H:\\"}},
                     {L"\\\\?\\Volume{4}\\", {}}};  // mounted nowhere: a recovery partition
  const Lines offered = {"\\\\?\\C:\\data\\x.kyl", "\\\\?\\G:\\g.kyl", "\\\\?\\C:\\mnt\\photos\\p.kyl"};
  for (const std::string& path : offered) lib.results[std::wstring(path.begin(), path.end())] = Decrypted;

  runOver(kFolder, {{true, OptionBackup}, {true, OptionWholeScan}});
  EXPECT_EQ(files(), offered) << "each file once";
  const Lines info = infoLines();
  const Lines expected = {
      "Scanning system...",
      "The drive E: was passed over: it shows the folder \"C:\\data\" of the drive C:, which the scan covers.",
      "The drive H: was passed over: it is the same volume as the drive G:.",
      "The volume mounted at \"C:\\mnt\\photos\\\" has no drive letter: it is scanned from that folder.",
      "Network drives that a user mapped are not seen by a program that runs as administrator or as the system "
      "account, so they are not searched: to search a share, run the tool with -scan-path \\\\server\\share."};
  ASSERT_GE(info.size(), expected.size() + 1);
  EXPECT_EQ(Lines(info.begin() + 1, info.begin() + 1 + static_cast<long>(expected.size())), expected);
  EXPECT_EQ(infoLines().back(), "The threat is gone!");
}

TEST_F(Run, RootsThatCannotBeOpenedFailUnlessADriveOfAWholeSystemScanHasNoMedium) {
  const struct {
    const char* name;
    uint32_t error;
    bool wholeScan;
    const char* message;
  } cases[] = {
      {"no medium, whole system", kErrorNotReady, true, "Scan finished, no encrypted files have been found!"},
      {"access denied, whole system", kErrorAccessDenied, true, "Your files couldn't be decrypted"},
      {"no medium, the scan path", kErrorNotReady, false, "Your files couldn't be decrypted"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun fresh;
    fresh.machine.driveTypes = {{L'E', DriveRemovable}};
    fresh.machine.openErrors = {{L"\\\\?\\E:\\", c.error}, {L"E:\\", c.error}};
    fresh.runOver(L"E:\\", {{true, OptionBackup}, {c.wholeScan, OptionWholeScan}});
    EXPECT_EQ(fresh.infoLines().back(), c.message);
    EXPECT_EQ(fresh.lib.calls.back(), "Finish");
  }
}

TEST_F(Run, FilesNeedingTheLongPathFormReachTheLibraryAndTheirRemovalInItShallowOnesAsWalked) {
  std::wstring deepFolder = kFolder;
  while (deepFolder.size() + 20 < 250) deepFolder += L"\\folder-of-twenty-ch";
  const std::wstring shallow = kFolder + L"\\a.kyl";
  const std::wstring atTheLimit = deepFolder + L"\\" + std::wstring(259 - deepFolder.size() - 1, L'f');
  const std::wstring past = atTheLimit + L"g";
  const std::wstring relative = L"victim\\" + std::wstring(250, L'r');
  const std::wstring dotted = kFolder + L"\\dir.\\a.locked.";  // names the classic rules would cut
  const std::vector<std::wstring> offered = {shallow, atTheLimit, L"\\\\?\\" + past, L"\\\\?\\C:\\work\\" + relative,
                                             L"\\\\?\\" + dotted};
  const std::vector<std::wstring> walked = {shallow, atTheLimit, past, relative, dotted};
  for (size_t i = 0; i < offered.size(); ++i) {
    WalkEntry entry = machine.listedFile(offered[i]);  // the file's handle is opened by the path offered
    entry.path = walked[i];
    machine.trees[kFolder].push_back(entry);
  }
  for (const std::wstring& path : offered) lib.results[path] = Decrypted;
  runOver(kFolder, {{false, OptionBackup}});
  Lines expected;
  for (const std::wstring& path : offered) expected.push_back(narrow(path));
  EXPECT_EQ(files(), expected);
  EXPECT_EQ(machine.removed(), expected) << "the same path the library was given";
}

TEST_F(Run, AFolderThatCannotBeSearchedIsPassedOverAndTheRunCannotEndAsDone) {
  // What the real walk names (FolderWalkOverAWindowsMachine shows it): a folder whose listing failed, its
  // siblings still walked, and folders denied for lack of access, which every machine has.
  const std::wstring mail = kFolder + L"\\mail", system = kFolder + L"\\System Volume Information";
  machine.trees[kFolder] = {{kFolder + L"\\a.kyl", WalkEntry::RegularFile, 0},
                            {mail, WalkEntry::FolderNotSearched, 1920},
                            {system, WalkEntry::FolderDenied, 5},
                            {kFolder + L"\\b.kyl", WalkEntry::RegularFile, 0},
                            {kFolder + L"\\c", WalkEntry::FolderNotSearched, 1392}};
  lib.results = {{kFolder + L"\\a.kyl", Decrypted}, {kFolder + L"\\b.kyl", Decrypted}};
  runOver(kFolder);
  EXPECT_EQ(files(), (Lines{"D:\\victim\\a.kyl", "D:\\victim\\b.kyl"}));
  EXPECT_TRUE(logged("Info: The folder \"D:\\victim\\mail\" could not be searched: system error 1920"))
      << testing::PrintToString(lib.log);
  EXPECT_TRUE(logged("Info: The folder \"D:\\victim\\c\" could not be searched: system error 1392"));
  EXPECT_TRUE(logged("Debug: 1 folder was passed over for lack of access: \"D:\\victim\\System Volume Information\"."));
  const Lines info = infoLines();
  EXPECT_EQ(Lines(info.end() - 3, info.end()),
            (Lines{kEnded, "The recovery process has failed for some files. Only 2 from 2 files were decrypted.",
                   "2 folders could not be searched, so encrypted files may remain there: \"D:\\victim\\mail\", "
                   "\"D:\\victim\\c\". The log names each with its error."}))
      << "never the success line over a folder visited only in part";
  EXPECT_EQ(page.endCalls().back(), "showFinalStep failure");
  EXPECT_EQ(lib.calls.back(), "Finish");
}

TEST_F(Run, FoldersDeniedForLackOfAccessChangeNoOutcome) {
  machine.trees[kFolder] = {machine.listedFile(kFolder + L"\\a.kyl")};
  for (int i = 0; i < 5; ++i)
    machine.trees[kFolder].push_back({kFolder + L"\\denied" + std::to_wstring(i), WalkEntry::FolderDenied, 5});
  lib.results = {{kFolder + L"\\a.kyl", Decrypted}};
  runOver(kFolder);
  EXPECT_TRUE(
      logged("Debug: 5 folders were passed over for lack of access: \"D:\\victim\\denied0\", "
             "\"D:\\victim\\denied1\", \"D:\\victim\\denied2\", ...."))
      << testing::PrintToString(lib.log);
  EXPECT_EQ(infoLines().back(), "The threat is gone!");
  EXPECT_EQ(page.endCalls().back(), "showFinalStep success");
}

TEST_F(Run, FilesWhoseDataIsNotHereAreCountedAndNamedInTheOutcomeNeverFailed) {
  const struct {
    const char* name;
    int32_t localFile;  // the library's answer for the one file that is here
    const char* message;
    bool success;
  } cases[] = {
      {"nothing else encrypted", NotEncrypted, "Scan finished, no encrypted files have been found!", true},
      {"the local file decrypted", Decrypted, "The threat is gone!", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun fresh;
    fresh.machine.trees[kFolder] = {{kFolder + L"\\online1.kyl", WalkEntry::NotHere, 0},
                                    fresh.machine.listedFile(kFolder + L"\\here.kyl"),
                                    {kFolder + L"\\online2.kyl", WalkEntry::NotHere, 0}};
    fresh.lib.results = {{kFolder + L"\\here.kyl", c.localFile}};
    fresh.runOver(kFolder);
    EXPECT_EQ(fresh.files(), Lines{"D:\\victim\\here.kyl"});
    const Lines info = fresh.infoLines();
    EXPECT_EQ(Lines(info.end() - 3, info.end()),
              (Lines{kEnded, c.message,
                     "2 files were passed over because their content is not on this computer (available online "
                     "only, or moved to offline storage); encrypted files may be among them: make them available "
                     "offline and run again."}));
    EXPECT_EQ(fresh.page.endCalls().back(), c.success ? "showFinalStep success" : "showFinalStep failure");
    EXPECT_EQ(fresh.decryptor.failedCount, 0u);
  }
}

TEST_F(Run, OneRunPerProcess) {
  machine.folder(kFolder, {0});
  bool secondStartAnswered = false;
  lib.duringFile = [&](const std::wstring&) {
    decryptor.startRun();  // while running
    secondStartAnswered = true;
  };
  runOver(kFolder);
  decryptor.startRun();  // after the end
  decryptor.run.wait();
  EXPECT_TRUE(secondStartAnswered);
  EXPECT_EQ(std::count(lib.calls.begin(), lib.calls.end(), "Init"), 1);
  EXPECT_EQ(std::count(lib.calls.begin(), lib.calls.end(), "Finish"), 1);
  EXPECT_EQ(std::count(lib.log.begin(), lib.log.end(),
                       "Debug: A decryption run was already started; the new request is ignored."),
            2);
}

TEST_F(Run, InitFailureShowsTheLibraryMessageOrAFixedOneAndSkipsFinish) {
  for (const std::string& error : {std::string("Key not found \xC3\xA9"), std::string()}) {
    for (const bool fromTheCommandLine : {true, false}) {
      SCOPED_TRACE(error + (fromTheCommandLine ? ", from the command line" : ", from the page"));
      FakeRun fresh;
      fresh.lib.initSucceeds = false;
      fresh.lib.initError = error;
      fresh.page.encryptedPath = kFolder;
      if (fromTheCommandLine) {
        fresh.runOver(kFolder, {});
      } else {
        fresh.runFromThePage();
      }
      const std::string shown = error.empty() ? "Initialization failed." : error;
      Lines pageCalls = {"setFinalMessage utf8 " + shown, "setLogPath", "showFinalStep failure"};
      if (!fromTheCommandLine) pageCalls.insert(pageCalls.begin(), {"getEncryptedPath", "getTestPath", "getOptions"});
      EXPECT_EQ(fresh.page.calls(), pageCalls);
      EXPECT_EQ(fresh.lib.calls, Lines{"Init"});
      // A run from the command line may have nobody watching: its log tells of the refusal, in one Info line.
      Lines log = {"Info: the library's own line"};
      if (fromTheCommandLine) log.push_back("Info: " + shown);
      EXPECT_EQ(fresh.lib.log, log);
      EXPECT_FALSE(fresh.decryptor.requestStop());
      EXPECT_EQ(fresh.lib.log.size(), log.size());
    }
  }
}

TEST_F(Run, EveryOtherEndGoesThroughTheSameReport) {
  const struct {
    const char* name;
    std::string failing;  // the page function that the script rejects
    std::wstring scanPath;
    Lines info;       // the last Info lines
    Lines pageCalls;  // every call but the counters
    bool finished;
  } cases[] = {
      {"settings unreadable",
       "getEncryptedPath",
       kFolder,
       {kEnded, "The decryption process has failed because of an unexpected error."},
       {"getEncryptedPath", "setFinalMessage ansi The decryption process has failed because of an unexpected error.",
        "setLogPath", "showFinalStep failure"},
       false},
      {"final message rejected",
       "setFinalMessage",
       kFolder,
       {kEnded, "The threat is gone!", kEnded, "The decryption process has failed because of an unexpected error."},
       {"getEncryptedPath", "getTestPath", "getOptions", "setFinalMessage ansi The threat is gone!",
        "setFinalMessage ansi The decryption process has failed because of an unexpected error.", "setLogPath",
        "showFinalStep failure"},
       true},
      {"progress rejected",
       "setProgressInfo",
       kFolder,
       {kEnded, "The decryption process was ended because its progress could not be shown."},
       {"getEncryptedPath", "getTestPath", "getOptions",
        "setFinalMessage ansi The decryption process was ended because its progress could not be shown.", "setLogPath",
        "showFinalStep failure"},
       true},
      {"nothing to scan",
       "",
       L"",
       {kEnded, "No folder to scan was given and the scan of the entire system was not chosen."},
       {"getEncryptedPath", "getTestPath", "getOptions",
        "setFinalMessage ansi No folder to scan was given and the scan of the entire system was not chosen.",
        "setLogPath", "showFinalStep failure"},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun fresh;
    fresh.page.failing = c.failing;
    fresh.page.encryptedPath = c.scanPath;
    fresh.machine.folder(kFolder, {1});
    // A slow file gives the progress thread time to report, and to fail.
    fresh.lib.duringFile = [](const std::wstring&) { std::this_thread::sleep_for(std::chrono::milliseconds(100)); };
    fresh.runFromThePage();
    const Lines info = fresh.infoLines();
    ASSERT_GE(info.size(), c.info.size());
    EXPECT_EQ(Lines(info.end() - static_cast<long>(c.info.size()), info.end()), c.info);
    EXPECT_EQ(fresh.page.endCalls(), c.pageCalls);
    EXPECT_EQ(std::count(fresh.lib.calls.begin(), fresh.lib.calls.end(), "Finish"), c.finished ? 1 : 0);
    if (c.finished) {
      EXPECT_EQ(fresh.lib.calls.back(), "Finish");
    }
    EXPECT_EQ(fresh.decryptor.run.phase(), RunPhase::Finished);
  }
}

TEST_F(Run, AClosedWindowEndsTheRunAfterTheFileInHandAndShowsNothingMore) {
  machine.folder(kFolder, {1, 1, 1});
  std::atomic<bool> inHand{false};
  lib.duringFile = [&](const std::wstring&) {
    inHand = true;
    waitFor([this] { return page.closed(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the rest of the file
  };
  decryptor.startRun(std::make_unique<RunSettings>(RunSettings{kFolder, L"", {{false, OptionBackup}}}));
  waitFor([&] { return inHand.load(); });
  const size_t callsBefore = page.endCalls().size();
  int served = 0;
  page.gone = true;
  decryptor.windowClosed([&served] { ++served; });  // returns once the run has ended

  EXPECT_EQ(decryptor.run.phase(), RunPhase::Finished);
  EXPECT_EQ(files(), Lines{"D:\\victim\\file0"});
  EXPECT_EQ(machine.removed(), Lines{"D:\\victim\\file0"}) << "the file in hand was finished";
  EXPECT_EQ(lib.calls.back(), "Finish");
  EXPECT_EQ(page.endCalls().size(), callsBefore) << "no page call once the window is gone";
  EXPECT_TRUE(logged("The window was closed during the run"));
  EXPECT_GT(served, 0) << "the closing thread kept serving while the file in hand finished";
}

TEST_F(Run, AWindowClosedWhileTheRunStartsLeavesNothingScannedButFinishesTheLibrary) {
  machine.folder(kFolder, {1});
  std::atomic<bool> initializing{false};
  lib.duringInit = [&] {
    initializing = true;
    waitFor([this] { return page.closed(); });
  };
  decryptor.startRun(std::make_unique<RunSettings>(RunSettings{kFolder, L"", {}}));
  waitFor([&] { return initializing.load(); });
  page.gone = true;
  decryptor.windowClosed();
  EXPECT_EQ(lib.calls, (Lines{"Init", "Finish"}));
  EXPECT_TRUE(page.calls().empty());
}

TEST_F(Run, AStopAskedForWhileTheLibraryStartsIsKept) {
  const struct {
    const char* name;
    bool initSucceeds;
    Lines calls;     // of the library
    Lines endCalls;  // of the page
    Lines lastInfo;  // the last Info lines
  } cases[] = {
      {"Init succeeds: nothing is offered, the run ends as after any stop",
       true,
       {"Init", "Finish"},
       {"setFinalMessage ansi Scan finished, no encrypted files have been found!", "showFinalStep success"},
       {kStopLine, kEnded, "Scan finished, no encrypted files have been found!"}},
      {"Init fails: its failure is shown",
       false,
       {"Init"},
       {"setFinalMessage utf8 No key", "setLogPath", "showFinalStep failure"},
       {kStopLine, "No key"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::atomic<bool> initializing{false}, stopAsked{false};  // outlive the run, which waits for them
    FakeRun fresh;
    fresh.lib.initSucceeds = c.initSucceeds;
    fresh.lib.initError = "No key";
    fresh.machine.folder(kFolder, {1, 1});
    fresh.lib.duringInit = [&] {
      initializing = true;
      waitFor([&] { return stopAsked.load(); });  // Init returns only once the user has pressed Stop
    };
    fresh.decryptor.startRun(std::make_unique<RunSettings>(RunSettings{kFolder, L"", {{false, OptionBackup}}}));
    waitFor([&] { return initializing.load(); });
    fresh.decryptor.requestStop();
    stopAsked = true;
    fresh.decryptor.run.wait();

    EXPECT_EQ(fresh.lib.calls, c.calls);
    EXPECT_TRUE(fresh.machine.walked.empty());
    EXPECT_TRUE(fresh.machine.removed().empty());
    EXPECT_EQ(fresh.page.endCalls(), c.endCalls);
    const Lines info = fresh.infoLines();
    ASSERT_GE(info.size(), c.lastInfo.size());
    EXPECT_EQ(Lines(info.end() - static_cast<long>(c.lastInfo.size()), info.end()), c.lastInfo);
    fresh.decryptor.requestStop();
    EXPECT_EQ(fresh.infoLines().size(), info.size()) << "a second stop changes nothing";
  }
}

TEST_F(Run, AWindowThatGoesAwayWhileTheSettingsAreReadEndsTheRunBeforeTheLibraryStarts) {
  for (const char* closesOn : {"getEncryptedPath", "getTestPath", "getOptions"}) {
    SCOPED_TRACE(closesOn);
    FakeRun fresh;
    fresh.page.encryptedPath = kFolder;
    fresh.page.options = {{true, OptionBackup}};  // what the user chose, which a gone window no longer says
    fresh.page.closesOn = closesOn;
    fresh.machine.folder(kFolder, {1});
    fresh.runFromThePage();
    EXPECT_TRUE(fresh.lib.calls.empty()) << "neither Init nor a file: " << testing::PrintToString(fresh.lib.calls);
    EXPECT_TRUE(fresh.machine.removed().empty());
    EXPECT_EQ(fresh.page.endCalls(), (Lines{"getEncryptedPath", "getTestPath", "getOptions"}));
    EXPECT_EQ(fresh.decryptor.run.phase(), RunPhase::Finished);
  }
}

TEST_F(Run, AnOptionAnswerThatIsNoListOfChoicesEndsTheRunBeforeTheLibraryStarts) {
  FakeRun fresh;
  fresh.page.encryptedPath = kFolder;
  fresh.page.optionsUnreadable = "element 1 has no whole-number id";
  fresh.machine.folder(kFolder, {1});
  fresh.runFromThePage();
  EXPECT_TRUE(fresh.lib.calls.empty()) << "neither Init nor a file: " << testing::PrintToString(fresh.lib.calls);
  EXPECT_TRUE(fresh.machine.walked.empty());
  EXPECT_TRUE(fresh.machine.removed().empty());
  const std::string shown = "The chosen options could not be read, so no file was decrypted or removed.";
  EXPECT_EQ(fresh.page.endCalls(), (Lines{"getEncryptedPath", "getTestPath", "getOptions",
                                          "setFinalMessage ansi " + shown, "setLogPath", "showFinalStep failure"}));
  Lines debug;
  for (const std::string& line : fresh.lib.log)
    if (line.rfind("Debug: ", 0) == 0) debug.push_back(line);
  EXPECT_EQ(debug, (Lines{"Debug: The options chosen on the page could not be read (element 1 has no whole-number "
                          "id): the run ends without starting."}));
  EXPECT_EQ(fresh.infoLines(), (Lines{kEnded, shown}));
  EXPECT_EQ(fresh.decryptor.run.phase(), RunPhase::Finished);
}

TEST_F(Run, TheObserverHearsEachAnswerAndWhatBecameOfTheEncryptedCopy) {
  const struct {
    const char* name;
    std::vector<OptionChoice> options;
    Lines events;
  } cases[] = {
      {"backup unchecked, one removal refused",
       {{false, OptionBackup}},
       {"file D:\\victim\\file0 1 removed", "file D:\\victim\\file1 0 untouched", "file D:\\victim\\file2 3 untouched",
        "file D:\\victim\\file3 1 refused 32", "file D:\\victim\\file4 7 untouched",
        "file D:\\victim\\file5 2 untouched"}},
      {"backup checked",
       {{true, OptionBackup}},
       {"file D:\\victim\\file0 1 kept", "file D:\\victim\\file1 0 untouched", "file D:\\victim\\file2 3 untouched",
        "file D:\\victim\\file3 1 kept", "file D:\\victim\\file4 7 untouched", "file D:\\victim\\file5 2 untouched"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun fresh;
    RecordingObserver observer;
    fresh.decryptor.observer = &observer;
    fresh.machine.folder(kFolder, {1, 0, 3, 1, 7, 2, 1});       // the full disk ends the root before file6
    fresh.machine.files.openErrors[kFolder + L"\\file3"] = 32;  // ERROR_SHARING_VIOLATION
    fresh.runOver(kFolder, c.options);
    EXPECT_EQ(observer.without("searching"), c.events);
    EXPECT_EQ(observer.events.front(), "searching D:\\victim") << "told once, before the folder's first entry";
    ASSERT_TRUE(observer.ended);
    EXPECT_EQ(observer.ended->kind, RunReport::Outcome);
    EXPECT_EQ(observer.ended->outcome, Failed);
    EXPECT_FALSE(observer.ended->stoppedEarly);
    EXPECT_FALSE(observer.libraryFinishedFirst) << "the observer hears of the end before the library is finished";
    EXPECT_EQ(fresh.lib.calls.back(), "Finish");
  }
}

TEST_F(Run, TheObserverHearsOfEveryFolderAndDriveThatWasNotSearched) {
  constexpr uint32_t kReparse = kAttributeReparsePoint;
  WindowsFolders folders;
  folders.nodes = {
      {L"\\\\?\\C:\\", {WindowsFolders::kFolder}},
      {L"\\\\?\\C:\\a.kyl", {}},
      {L"\\\\?\\C:\\locked", {WindowsFolders::kFolder}},
      {L"\\\\?\\C:\\locked\\inside.kyl", {}},
      {L"\\\\?\\C:\\odd-link.kyl", {WindowsFolders::kFile | kReparse, 0xA000000C, L"\\\\?\\C:\\forbidden"}},
      {L"\\\\?\\C:\\sub", {WindowsFolders::kFolder}},
      {L"\\\\?\\C:\\sub\\b.kyl", {}},
  };
  folders.refused[L"\\\\?\\C:\\locked\\"] = kErrorAccessDenied;
  folders.refused[L"\\\\?\\E:\\"] = kErrorNotReady;
  folders.refused[L"\\\\?\\F:\\"] = kErrorAccessDenied;
  machine.folders = &folders;
  machine.driveTypes = {{L'C', DriveFixed}, {L'E', DriveRemovable}, {L'F', DriveFixed}};
  RecordingObserver observer;
  decryptor.observer = &observer;
  runOver(kFolder, {{true, OptionBackup}, {true, OptionWholeScan}});
  EXPECT_EQ(observer.events, (Lines{
                                 R"(searching \\?\C:\)",
                                 R"(file \\?\C:\a.kyl 0 untouched)",
                                 R"(not-searched \\?\C:\locked denied 5)",
                                 R"(searching \\?\C:\sub)",
                                 R"(file \\?\C:\sub\b.kyl 0 untouched)",
                                 R"(not-searched \\?\E:\ no-medium 21 drive)",
                                 R"(not-searched \\?\F:\ could-not-open 5 drive)",
                             }));
  EXPECT_EQ(files(), (Lines{"\\\\?\\C:\\a.kyl", "\\\\?\\C:\\sub\\b.kyl"}));
  for (const std::string& line : infoLines()) {
    EXPECT_EQ(line.find("locked"), std::string::npos) << "a folder denied has no Info line of its own: " << line;
  }
}

TEST_F(Run, TheObserverHearsWhereAListingBrokeAndHowEachKindOfRunEnded) {
  machine.folder(kFolder, {1, 1, 1});
  machine.trees[kFolder].insert(machine.trees[kFolder].begin() + 1,
                                {L"D:\\victim\\mail", WalkEntry::FolderNotSearched, 1117});
  RecordingObserver observer;
  decryptor.observer = &observer;
  runOver(kFolder);
  EXPECT_EQ(observer.without("file"), (Lines{"searching D:\\victim", "not-searched D:\\victim\\mail broken 1117"}));

  const struct {
    const char* name;
    bool initSucceeds;
    std::wstring scanPath;
    bool stopInFile;
    RunReport::Kind kind;
    bool stoppedEarly;
  } cases[] = {
      {"Init refused", false, kFolder, false, RunReport::InitRefused, false},
      {"nothing to scan", true, L"", false, RunReport::Problem, false},
      {"stopped", true, kFolder, true, RunReport::Outcome, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun fresh;
    RecordingObserver seen;
    fresh.decryptor.observer = &seen;
    fresh.lib.initSucceeds = c.initSucceeds;
    fresh.machine.folder(kFolder, {1, 1});
    if (c.stopInFile) fresh.lib.duringFile = [&fresh](const std::wstring&) { fresh.decryptor.requestStop(); };
    fresh.runOver(c.scanPath);
    ASSERT_TRUE(seen.ended);
    EXPECT_EQ(seen.ended->kind, c.kind);
    EXPECT_EQ(seen.ended->stoppedEarly, c.stoppedEarly);
  }
}

TEST_F(Run, ToolInformationReachesThePageInItsOrder) {
  const Lines described = {"setRansomwareName Family", "setToolDescription About it"};
  const auto with = [&described](Lines first) {
    first.insert(first.end(), described.begin(), described.end());
    return first;
  };
  const struct {
    const char* name;
    bool enabled;  // every feature flag
    bool overwrite;
    size_t options;
    Lines calls;
  } cases[] = {
      {"everything offered", true, true, 1, with({"addOptions 1"})},
      {"nothing offered", false, false, 0,
       with({"disableScanPath", "disableTestPath", "disableBackup", "disableWholeScan", "disableOverwrite",
             "disableAdvancedOptions"})},
      {"only overwrite", false, true, 0,
       with({"disableScanPath", "disableTestPath", "disableBackup", "disableWholeScan", "addOptions 0"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ToolInfo info{};
    info.name = "Family";
    info.description = "About it";
    info.scanPathEnabled = info.testPathEnabled = info.backupEnabled = info.wholeScanEnabled = c.enabled;
    info.overwriteEnabled = c.overwrite;
    info.options.assign(c.options, ToolOption{"Deep", nullptr, "Looks harder", nullptr, true, 10});
    infoToPublish = &info;
    FakeRun fresh;
    fresh.decryptor.getInfo = &fakeGetInfo;
    fresh.decryptor.publishToolInfo();
    EXPECT_EQ(fresh.page.calls(), c.calls);
    delete fresh.decryptor.info;
  }
}

// A folder of one encrypted file, listed by the real walk from a machine that answers as Windows does.
struct OneFileFolder {
  WindowsFolders folders;
  std::wstring file;
  OneFileFolder(const std::wstring& root, const std::wstring& sub, const std::wstring& name) {
    file = root + L"\\" + sub + L"\\" + name;
    folders.nodes = {{root, {WindowsFolders::kFolder}}, {root + L"\\" + sub, {WindowsFolders::kFolder}}, {file, {}}};
  }
  void install(FakeRun& run) {
    folders.registerFiles(run.machine.files);
    run.machine.folders = &folders;
    run.lib.results[file] = Decrypted;
  }
};

TEST_F(Run, TheEncryptedFileIsRemovedThroughItsHandleOnlyWhenItIsStillTheListedFile) {
  constexpr uint32_t kSymlink = 0xA000000C;  // IO_REPARSE_TAG_SYMLINK
  const struct {
    const char* name;
    std::function<void(TestFiles& files, const std::wstring& file)> afterTheListing;  // during the decryption
    bool removed;
    const char* line;  // the line that says why it stays: Info for the system's refusal, Debug for the checks
  } cases[] = {
      {"nothing changed", {}, true, nullptr},
      // The known route: the folder swapped for a junction (to \RPC Control and an object-manager link), so
      // the same path now names a file anywhere on the machine.
      {"its folder swapped for a junction",
       [](TestFiles& files, const std::wstring&) {
         files.redirects = {{L"D:\\victim\\sub", L"\\\\?\\C:\\Windows\\System32"}};
       },
       false,
       "was kept: its path now leads to \"\\\\?\\C:\\Windows\\System32\\a.kyl\", not to the folder it was listed in"},
      {"the file swapped for a link",
       [](TestFiles& files, const std::wstring& file) {
         files.files[file].facts = {0x20 | 0x400, kSymlink, 1};
       },
       false, "was kept: it is now a link, not the file that was listed"},
      {"the file held open without sharing delete",
       [](TestFiles& files, const std::wstring& file) { files.openErrors[file] = 32; },  // ERROR_SHARING_VIOLATION
       false, "was decrypted but could not be removed: system error 32"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun fresh;
    OneFileFolder victim(L"D:\\victim", L"sub", L"a.kyl");
    victim.install(fresh);
    if (c.afterTheListing) {
      fresh.lib.duringFile = [&](const std::wstring& path) { c.afterTheListing(fresh.machine.files, path); };
    }
    struct Outcomes : RunObserver {
      std::vector<Removal::Outcome> seen;
      void fileAnswered(const FileAnswer& answer) override { seen.push_back(answer.removal.outcome); }
    } outcomes;
    fresh.decryptor.observer = &outcomes;
    fresh.runOver(L"D:\\victim", {{false, OptionBackup}});
    EXPECT_EQ(fresh.files(), Lines{narrow(victim.file)});
    EXPECT_EQ(fresh.machine.removed(), c.removed ? Lines{narrow(victim.file)} : Lines{});
    EXPECT_EQ(outcomes.seen, std::vector<Removal::Outcome>{c.removed ? Removal::Removed : Removal::Refused});
    const Lines info = fresh.infoLines();
    if (c.line) {
      const std::string level = std::string(c.line).starts_with("was decrypted") ? "Info" : "Debug";
      EXPECT_TRUE(fresh.logged(level + ": The encrypted file \"D:\\victim\\sub\\a.kyl\" " + c.line))
          << testing::PrintToString(fresh.lib.log);
      ASSERT_GE(info.size(), 3u);
      EXPECT_EQ(info[info.size() - 2], "The threat is gone!") << "a file kept is no failure of the decryption";
      EXPECT_TRUE(info.back().starts_with("1 restored file left its encrypted copy in place")) << info.back();
    } else {
      EXPECT_FALSE(fresh.logged("The encrypted file")) << testing::PrintToString(fresh.lib.log);
      EXPECT_EQ(info.back(), "The threat is gone!");
    }
  }
}

TEST_F(Run, ARemovalIsNotRefusedForHowTheScanPathWasSpelled) {
  // Each scan path reaches the same folder, D:\Victim files, another way; only final paths are compared.
  const struct {
    const char* name;
    std::wstring scanPath;
    std::pair<std::wstring, std::wstring> resolvesAs;
  } cases[] = {
      {"a subst letter", L"S:\\victim", {L"S:", L"\\\\?\\D:\\Victim files"}},
      {"a mapped drive", L"M:\\victim", {L"M:", L"\\\\?\\UNC\\server\\share\\Victim files"}},
      {"a short name", L"D:\\VICTIM~1", {L"D:\\VICTIM~1", L"\\\\?\\D:\\Victim files"}},
      {"other letter case", L"d:\\victim FILES", {L"D:\\Victim files", L"\\\\?\\D:\\Victim files"}},
      {"a junction inside the scan path", L"D:\\link\\files", {L"D:\\link", L"\\\\?\\E:\\data"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun fresh;
    OneFileFolder victim(c.scanPath, L"sub", L"a.kyl");
    victim.install(fresh);
    fresh.machine.files.redirects = {c.resolvesAs};
    fresh.runOver(c.scanPath, {{false, OptionBackup}});
    EXPECT_EQ(fresh.machine.removed(), Lines{narrow(victim.file)}) << testing::PrintToString(fresh.lib.log);
  }
}

TEST_F(Run, AFileWhoseFolderCouldNotBeResolvedWhenListedIsKept) {
  OneFileFolder victim(L"D:\\victim", L"sub", L"a.kyl");
  victim.install(*this);
  machine.files.folderErrors[L"D:\\victim\\sub"] = 1;  // ERROR_INVALID_FUNCTION: a file system without final paths
  runOver(L"D:\\victim", {{false, OptionBackup}});
  EXPECT_TRUE(machine.removed().empty());
  EXPECT_TRUE(
      logged("Debug: The encrypted file \"D:\\victim\\sub\\a.kyl\" was kept: the final path of its folder "
             "could not be read when it was listed: system error 1"))
      << testing::PrintToString(lib.log);
}

TEST_F(Run, ARelativeScanPathIsResolvedOnceBeforeTheLibraryStarts) {
  // Two folders of the same name; the library changes the working directory while it works.
  WindowsFolders folders;
  for (const std::wstring base : {L"C:\\work", L"C:\\Windows"}) {
    folders.nodes[base + L"\\victim"] = {WindowsFolders::kFolder};
    folders.nodes[base + L"\\victim\\a.kyl"] = {};
    lib.results[base + L"\\victim\\a.kyl"] = Decrypted;
    lib.results[L"victim\\a.kyl"] = Decrypted;
  }
  folders.registerFiles(machine.files);
  machine.folders = &folders;
  lib.duringInit = [this] { machine.files.workingDirectory = L"C:\\Windows"; };
  runOver(L"victim", {{false, OptionBackup}});
  EXPECT_EQ(lib.initScanPath, L"C:\\work\\victim");
  EXPECT_EQ(files(), Lines{"C:\\work\\victim\\a.kyl"});
  EXPECT_EQ(machine.removed(), Lines{"C:\\work\\victim\\a.kyl"}) << "nothing outside the scan path";
}

TEST_F(Run, APagePathWithANulIsRefusedBeforeTheLibraryStarts) {
  const struct {
    const char* name;
    std::wstring scanPath, testPath;
    const char* line;
  } cases[] = {
      {"scan path", std::wstring(L"D:\\victim\0\\x", 12), L"", "The provided scan path does not exist!"},
      {"test path", L"D:\\victim", std::wstring(L"D:\\pairs\0", 9), "The provided test path does not exist!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun fresh;
    fresh.page.encryptedPath = c.scanPath;
    fresh.page.testPath = c.testPath;
    fresh.machine.folder(L"D:\\victim", {1});
    fresh.runFromThePage();
    EXPECT_TRUE(fresh.lib.calls.empty()) << testing::PrintToString(fresh.lib.calls);
    EXPECT_TRUE(fresh.machine.walked.empty());
    EXPECT_EQ(fresh.infoLines(), (Lines{kEnded, c.line}));
    EXPECT_EQ(fresh.page.endCalls(),
              (Lines{"getEncryptedPath", "getTestPath", "getOptions", std::string("setFinalMessage ansi ") + c.line,
                     "setLogPath", "showFinalStep failure"}));
  }
}

// The option list as a library built against another standard library, or a broken one, leaves it.
struct RawOptions {
  uintptr_t begin, end, storageEnd;
};
RawOptions rawToPublish;
bool fakeGetInfoWithRawOptions(ToolInfo* info) {
  info->name = "Family";
  std::memcpy(static_cast<void*>(&info->options), &rawToPublish, sizeof rawToPublish);
  return true;
}

TEST_F(Run, ABrokenOptionListEndsTheBindingBeforeAnythingReadsIt) {
  alignas(ToolOption) static unsigned char storage[sizeof(ToolOption) * 300];
  const auto at = [](size_t offset) { return reinterpret_cast<uintptr_t>(storage) + offset; };
  constexpr size_t record = sizeof(ToolOption);
  const struct {
    const char* name;
    RawOptions raw;
    const char* problem;
  } cases[] = {
      {"begin after end", {at(2 * record), at(record), at(2 * record)}, "it ends before it begins"},
      {"not a whole number of records", {at(0), at(record + 4), at(2 * record)}, "not a whole number"},
      {"too many", {at(0), at(257 * record), at(257 * record)}, "more than 256"},
      {"a null first record", {0, at(record), at(record)}, "is null"},
      {"misaligned", {at(1), at(1 + record), at(1 + record)}, "not aligned"},
      {"storage ending before the list", {at(0), at(2 * record), at(record)}, "storage ends before"},
      {"a size where the end should be", {at(0), 3, 3}, "ends before it begins"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun fresh;
    rawToPublish = c.raw;
    fresh.decryptor.getInfo = &fakeGetInfoWithRawOptions;
    EXPECT_FALSE(fresh.decryptor.publishToolInfo());
    EXPECT_TRUE(fresh.page.calls().empty()) << "nothing reaches the page";
    EXPECT_TRUE(fresh.logged(std::string("Debug: The decryption library's option list cannot be read: ")))
        << testing::PrintToString(fresh.lib.log);
    EXPECT_TRUE(fresh.logged(c.problem)) << testing::PrintToString(fresh.lib.log);
    EXPECT_TRUE(fresh.decryptor.info->options.empty()) << "the list is forgotten, never freed";
    delete fresh.decryptor.info;
  }
  // Sound lists pass: empty, and records that fill their storage.
  for (const RawOptions raw : {RawOptions{0, 0, 0}, RawOptions{at(0), at(2 * record), at(4 * record)}}) {
    FakeRun fresh;
    rawToPublish = raw;
    fresh.decryptor.getInfo = &fakeGetInfoWithRawOptions;
    EXPECT_TRUE(fresh.decryptor.publishToolInfo());
    forgetOptionList(*fresh.decryptor.info);
    delete fresh.decryptor.info;
  }
}

class SystemAccount : public FolderRights {
 public:
  bool system = true;
  FolderSecurity folder;
  bool runsAsSystemAccount() override { return system; }
  std::wstring workingDirectory() override { return L"C:\\ProgramData\\RecoveryTool"; }
  std::wstring programFolder() override { return L"C:\\ProgramData\\RecoveryTool"; }
  FolderSecurity securityOf(const std::wstring&) override { return folder; }
};

TEST_F(Run, AsTheSystemAccountAFolderOthersMayWriteBindsNoLibrary) {
  SystemAccount rights;
  rights.folder = {true, 0, "S-1-5-21-1-2-3-1001", true, {{true, false, 0x1F01FF, "S-1-5-18"}}};
  decryptor.folderRights = &rights;
  EXPECT_FALSE(decryptor.loadLibrary());
  EXPECT_EQ(lib.log, (Lines{"Debug: The decryption library was not bound: running as the system account, the folder "
                            "\"C:\\ProgramData\\RecoveryTool\" lets others than Administrators, SYSTEM and "
                            "TrustedInstaller change it (S-1-5-21-1-2-3-1001). Lock it down as the user guide says: "
                            "icacls \"C:\\ProgramData\\RecoveryTool\" /inheritance:r /grant:r "
                            "\"*S-1-5-32-544:(OI)(CI)F\" \"*S-1-5-18:(OI)(CI)F\" and icacls "
                            "\"C:\\ProgramData\\RecoveryTool\" /setowner \"*S-1-5-32-544\""}))
      << "nothing else: no library was looked for";
  EXPECT_EQ(decryptor.getInfo, nullptr);
}

}  // namespace
