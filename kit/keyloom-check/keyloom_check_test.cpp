// The checks in-process: a fake library (plain functions whose behaviour a test sets) run through a
// session on an in-memory file system, and the report built from a session's protocol.
#include <gtest/gtest.h>

#include <fmt/format.h>
#include <map>
#include <stdexcept>
#include <thread>

#include "coordinator.h"
#include "import_checks.h"
#include "info_checks.h"
#include "pe_imports.h"
#include "protocol.h"
#include "report.h"
#include "rules.h"
#include "samples.h"
#include "session.h"
#include "support/fnv1a.h"
#include "text.h"

namespace keyloom_check {
namespace {

// --- a fake library ------------------------------------------------------------------------------

struct FakeFile {
  std::string bytes;
  bool readOnly = false;
};
std::map<std::wstring, FakeFile> disk;  // full path -> file; folders are implied by the paths

struct FakeBehaviour {
  std::vector<uint32_t> optionIds;
  int32_t answer = NotEncrypted;
  std::wstring answerFor;  // file name the answer applies to; others get NotEncrypted
  enum { None, DeleteFile, Throw, RenameAfterInit, LogAfterFinish, Restore } act = None;
  std::wstring actOn;
  std::string clean;  // what Restore writes beside the file
};
FakeBehaviour behaviour;
ToolInfo* givenInfo = nullptr;
LogCallback givenLog = nullptr;
std::vector<ToolOption> publishedOptions;

std::wstring nameOf(const std::wstring& path) { return path.substr(path.rfind(L'\\') + 1); }

bool fakeGetInfo(ToolInfo* info) {
  givenInfo = info;
  info->name = "Fake family";
  info->description = "A library made of plain functions.";
  publishedOptions.clear();
  for (uint32_t id : behaviour.optionIds) publishedOptions.push_back({"Own", nullptr, "", nullptr, false, id});
  info->options = publishedOptions;
  return true;
}

bool fakeInit(InitParams* params, std::string*) {
  givenLog = params->log;
  if (behaviour.act == FakeBehaviour::RenameAfterInit) givenInfo->name = "Renamed family";
  return true;
}

int32_t fakeDecrypt(const std::filesystem::path* file) {
  const std::wstring path = file->native();
  if (nameOf(path) == behaviour.actOn) {
    if (behaviour.act == FakeBehaviour::DeleteFile) disk.erase(path);
    if (behaviour.act == FakeBehaviour::Throw) throw std::runtime_error("fake failure");
    if (behaviour.act == FakeBehaviour::Restore) disk[path.substr(0, path.rfind(L'.'))] = {behaviour.clean};
  }
  return nameOf(path) == behaviour.answerFor ? behaviour.answer : NotEncrypted;
}

bool fakeFinish() {
  if (behaviour.act == FakeBehaviour::LogAfterFinish) {
    std::thread([log = givenLog] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      log("still here", 0);
    }).detach();
  }
  return true;
}

// --- an in-memory platform -----------------------------------------------------------------------

std::vector<std::string> emitted;

SessionPlatform fakePlatform() {
  SessionPlatform p;
  p.reader.list = [](const std::wstring& folder, std::vector<FolderEntry>& entries) {
    bool any = false;
    for (const auto& [path, file] : disk) {
      if (!path.starts_with(folder + L"\\")) continue;
      any = true;
      const std::wstring rest = path.substr(folder.size() + 1);
      const size_t slash = rest.find(L'\\');
      FolderEntry entry{rest.substr(0, slash), slash != std::wstring::npos};
      if (entries.empty() || entries.back().name != entry.name) entries.push_back(entry);
    }
    return any;
  };
  p.reader.read = [](const std::wstring& path, std::string& bytes) {
    if (!disk.contains(path)) return false;
    bytes = disk[path].bytes;
    return true;
  };
  p.makeFolder = [](const std::wstring&) { return true; };
  p.writeFile = [](const std::wstring& path, const std::string& bytes, bool readOnly) {
    disk[path] = {bytes, readOnly};
    return true;
  };
  p.snapshot = [](const std::wstring& folder) {
    Snapshot snapshot;
    for (const auto& [path, file] : disk) {
      if (path.starts_with(folder + L"\\")) {
        snapshot[path.substr(folder.size() + 1)] = {EntryState::File, file.bytes.size(), support::fnv1a64(file.bytes),
                                                    file.readOnly};
      }
    }
    return snapshot;
  };
  p.placeInitParams = [](InitParams&& params) { return new InitParams(std::move(params)); };
  p.retireInitParams = [](InitParams* params) { delete params; };
  p.emit = [](const std::string& line) { emitted.push_back(line); };
  return p;
}

class FakeLibrarySession : public testing::Test {
 protected:
  void SetUp() override {
    disk.clear();
    emitted.clear();
    behaviour = FakeBehaviour{};
  }

  std::vector<Row> run(SessionKind kind, const std::wstring& samples = L"") {
    const CheckedLibrary library{{&fakeGetInfo, &fakeInit, &fakeDecrypt, &fakeFinish}, {true, true, true, true, {}}};
    const SessionPlatform platform = fakePlatform();
    SessionSettings settings{kind, L"W:\\work\\session", samples, L"", std::chrono::milliseconds(200)};
    runSession(library, platform, settings);
    std::string output;
    for (const std::string& line : emitted) output += line + "\n";
    return protocol::rowsFromSession(output, {});
  }

  static std::vector<std::string> failed(const std::vector<Row>& rows) {
    std::vector<std::string> ids;
    for (const Row& row : rows) {
      if (row.status == Status::Failed || row.status == Status::Aborted) ids.push_back(row.id);
    }
    return ids;
  }

  static const Row& find(const std::vector<Row>& rows, const std::string& id) {
    for (const Row& row : rows) {
      if (row.id == id) return row;
    }
    static const Row missing{"missing"};
    ADD_FAILURE() << "no row " << id;
    return missing;
  }
};

TEST_F(FakeLibrarySession, AWellBehavedLibraryPassesEveryCheck) {
  const auto info = run(SessionKind::Info);
  const auto foreign = run(SessionKind::Foreign);
  EXPECT_TRUE(failed(info).empty()) << protocol::rowLine(info.front());
  EXPECT_TRUE(failed(foreign).empty());
  EXPECT_EQ(find(info, rules::kInitMissingTestFolder).status, Status::Skipped) << "the fake asks for no test folder";
  for (const char* id : {"foreign-random", "foreign-empty", "foreign-text", "foreign-read-only", "foreign-unicode-name",
                         rules::kFinishReturns, rules::kNoLogAfterFinish}) {
    EXPECT_EQ(find(foreign, id).status, Status::Passed) << id;
  }
}

TEST_F(FakeLibrarySession, EachFaultFailsItsOwnCheck) {
  const struct {
    const char* name;
    FakeBehaviour behaviour;
    std::vector<std::string> failing;
    const char* detail;  // part of the failing row's detail
  } cases[] = {
      {"Decrypted for a text file", {{}, Decrypted, L"notes.txt"}, {"foreign-text"}, "the tool deletes the file"},
      {"NoDiskSpace for random bytes", {{}, NoDiskSpace, L"random.bin"}, {"foreign-random"}, "rest of the drive"},
      {"deletes the file",
       {{}, NotEncrypted, L"", FakeBehaviour::DeleteFile, L"random.bin"},
       {"foreign-random"},
       "random.bin was deleted"},
      {"throws", {{}, NotEncrypted, L"", FakeBehaviour::Throw, L"empty.dat"}, {rules::kNoExceptions}, "fake failure"},
      {"out-of-range result", {{}, 7, L"notes.txt"}, {rules::kResultRange}, "7 for notes.txt"},
      {"renames itself after Init",
       {{}, NotEncrypted, L"", FakeBehaviour::RenameAfterInit},
       {rules::kTextsStable},
       "after Init: the name changed"},
      {"logs after Finish",
       {{}, NotEncrypted, L"", FakeBehaviour::LogAfterFinish},
       {rules::kNoLogAfterFinish},
       "\"still here\""},
  };
  for (const auto& c : cases) {
    SetUp();
    behaviour = c.behaviour;
    const auto rows = run(SessionKind::Foreign);
    EXPECT_EQ(failed(rows), c.failing) << c.name;
    if (!c.failing.empty()) {
      EXPECT_NE(find(rows, c.failing[0]).detail.find(c.detail), std::string::npos) << c.name;
    }
  }
}

TEST_F(FakeLibrarySession, SamplesAreCopiedAndTheirCleanCopyIsFound) {
  disk[L"S:\\samples\\letter\\encrypted\\letter.txt.enc"] = {"encrypted bytes"};
  disk[L"S:\\samples\\letter\\clean\\letter.txt"] = {"clean bytes"};
  behaviour = {{}, Decrypted, L"letter.txt.enc", FakeBehaviour::Restore, L"letter.txt.enc", "clean bytes"};
  const auto good = run(SessionKind::Samples, L"S:\\samples");
  EXPECT_TRUE(failed(good).empty());
  EXPECT_NE(find(good, "sample-letter").detail.find("written as letter.txt"), std::string::npos);
  EXPECT_EQ(disk[L"S:\\samples\\letter\\encrypted\\letter.txt.enc"].bytes, "encrypted bytes");
  EXPECT_FALSE(disk.contains(L"S:\\samples\\letter\\encrypted\\letter.txt")) << "the samples folder is only read";

  SetUp();
  disk[L"S:\\samples\\letter\\encrypted\\letter.txt.enc"] = {"encrypted bytes"};
  disk[L"S:\\samples\\letter\\clean\\letter.txt"] = {"clean bytes"};
  behaviour = {{}, Decrypted, L"letter.txt.enc", FakeBehaviour::Restore, L"letter.txt.enc", "wrong bytes"};
  const auto wrong = run(SessionKind::Samples, L"S:\\samples");
  EXPECT_EQ(failed(wrong), std::vector<std::string>{"sample-letter"});
  EXPECT_NE(find(wrong, "sample-letter").detail.find("none holding the clean content"), std::string::npos);
}

TEST_F(FakeLibrarySession, TheSamplesTellTheFamilysExtension) {
  disk[L"S:\\samples\\a\\encrypted\\a.doc.enc"] = {"x"};
  disk[L"S:\\samples\\a\\clean\\a.doc"] = {"y"};
  behaviour = {{}, Decrypted, L"garbage.enc"};
  const auto rows = run(SessionKind::Foreign, L"S:\\samples");
  EXPECT_EQ(failed(rows), std::vector<std::string>{"foreign-extension"});
  SetUp();
  EXPECT_EQ(find(run(SessionKind::Foreign), "foreign-extension").status, Status::Skipped);
}

TEST(SampleLayout, EachFaultIsNamed) {
  const std::map<std::wstring, std::vector<FolderEntry>> folders = {
      {L"S", {{L"good", true}, {L"no-clean", true}, {L"two", true}, {L"notes.md", false}}},
      {L"S\\good\\encrypted", {{L"a.enc", false}}},
      {L"S\\good\\clean", {{L"a", false}}},
      {L"S\\no-clean\\encrypted", {{L"b.enc", false}}},
      {L"S\\two\\encrypted", {{L"c.enc", false}, {L"d.enc", false}}},
      {L"S\\two\\clean", {{L"c", false}}},
  };
  FolderReader reader;
  reader.list = [&](const std::wstring& folder, std::vector<FolderEntry>& entries) {
    if (!folders.contains(folder)) return false;
    entries = folders.at(folder);
    return true;
  };
  reader.read = [](const std::wstring&, std::string& bytes) { return bytes = "content", true; };
  const SampleSet set = loadSamples(L"S", reader);
  ASSERT_EQ(set.cases.size(), 1u);
  EXPECT_EQ(set.cases[0].id, "sample-good");
  ASSERT_EQ(set.problems.size(), 2u);
  EXPECT_NE(set.problems[0].find("no-clean\\clean is missing"), std::string::npos) << set.problems[0];
  EXPECT_NE(set.problems[1].find("two\\encrypted must hold exactly one file"), std::string::npos) << set.problems[1];
}

// --- the record GetInfo fills ----------------------------------------------------------------------

TEST(OptionIds, ToolIdsZeroAndDuplicatesAreRefused) {
  const struct {
    std::vector<uint32_t> ids;
    const char* problem;  // nullptr: passes
  } cases[] = {
      {{}, nullptr},
      {{10, 11, 4}, nullptr},
      {{10, 2}, "id 2 belongs to the tool's own option \"scan the entire system\""},
      {{1}, "Backup"},
      {{3}, "replace previously decrypted files"},
      {{0}, "id 0"},
      {{10, 10}, "id 10 is used twice"},
  };
  for (const auto& c : cases) {
    ToolInfo info{};
    for (uint32_t id : c.ids) info.options.push_back({"o", nullptr, "", nullptr, false, id});
    const Row row = checkOptionIds(info);
    EXPECT_EQ(row.status, c.problem ? Status::Failed : Status::Passed) << row.detail;
    if (c.problem) {
      EXPECT_NE(row.detail.find(c.problem), std::string::npos) << row.detail;
    }
  }
}

TEST(InfoTexts, MissingTextsAreNamed) {
  ToolInfo info{};
  info.name = "";
  info.options.push_back({nullptr, nullptr, nullptr, nullptr, false, 10});
  const Row row = checkInfoTexts(info);
  EXPECT_EQ(row.status, Status::Failed);
  for (const char* part :
       {"the name is empty", "the description is a null pointer", "the name of option 1 (id 10) is a null pointer",
        "the description of option 1 (id 10) is a null pointer"}) {
    EXPECT_NE(row.detail.find(part), std::string::npos) << part << " in " << row.detail;
  }
}

TEST(TextsStable, SameContentAtAnotherPlaceCounts) {
  static const char kept[] = "Family";
  std::string moved = "Family";
  ToolInfo info{};
  info.name = kept;
  info.description = kept;
  const TextsCopy copy = copyTexts(info);
  EXPECT_EQ(textsDifference(copy, info), "");
  info.name = moved.c_str();  // same words, but the old pointer the tool holds may now be freed
  EXPECT_EQ(textsDifference(copy, info), "the name changed");
}

TEST(Exports, ADecoratedNameIsPointedOut) {
  const Row missing = checkExports(
      {true, true, false, true, {"GetInfo", "Init", "_Z17DecryptSingleFilePKNSt10filesystem7__cxx114pathE", "Finish"}});
  EXPECT_EQ(missing.status, Status::Failed);
  EXPECT_NE(missing.detail.find("DecryptSingleFile is missing, but the library exports _Z17DecryptSingleFile"),
            std::string::npos)
      << missing.detail;
  EXPECT_NE(missing.detail.find("extern \"C\""), std::string::npos);
  EXPECT_EQ(checkExports({true, true, true, true, {}}).status, Status::Passed);
}

TEST(Utf8, ValidAndInvalidSequences) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {
      {"plain", true}, {"caf\xc3\xa9", true}, {"\xe6\x96\x87", true},  {"\xf0\x9f\x94\x91", true},  {"caf\xe9", false},
      {"\xc3", false}, {"\xc0\xaf", false},   {"\xed\xa0\x80", false}, {"\xf4\x90\x80\x80", false},
  };
  for (const auto& c : cases) EXPECT_EQ(isValidUtf8(c.text), c.valid) << c.text;
  EXPECT_EQ(utf8FromWide(L"\u0444\u6587\U0001F511"), "\xd1\x84\xe6\x96\x87\xf0\x9f\x94\x91");
  EXPECT_EQ(shownText("caf\xe9 \xc3\xa9"), "caf\\xe9 \\xc3\\xa9") << "one bad byte: the whole text is shown escaped";
  EXPECT_EQ(shownText("caf\xc3\xa9"), "caf\xc3\xa9");
}

// --- the report from sessions' protocols ------------------------------------------------------------

TEST(SessionProtocol, ACrashFailsTheCheckItWasInAndTheRestIsNotRun) {
  const std::string output =
      "plan\tinit-valid\nplan\tforeign-random\nplan\tforeign-text\nplan\tno-exceptions\n"
      "enter\tinit-valid\nrow\tinit-valid\tpassed\t\n"
      "enter\tforeign-random\nrow\tforeign-random\tpassed\trandom.bin: answered NotEncrypted\n"
      "enter\tforeign-text\ncrash\tc0000005\t0\n";
  const auto rows = protocol::rowsFromSession(output, {false, 0, 0xC0000005});
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[2].id, "foreign-text");
  EXPECT_EQ(rows[2].status, Status::Failed);
  EXPECT_EQ(rows[2].detail, "the library crashed the checker: access violation (0xc0000005)");
  EXPECT_EQ(rows[3].id, "no-exceptions");
  EXPECT_EQ(rows[3].status, Status::Aborted);
  EXPECT_EQ(rows[3].detail, "not run: the library failed earlier, in foreign-text");
}

TEST(SessionProtocol, AnAbortInsideTheLibraryAlsoFailsNoExceptions) {
  const auto rows = protocol::rowsFromSession(
      "plan\tforeign-text\nplan\tforeign-read-only\nplan\tno-exceptions\nenter\tforeign-text\n", {false, 0, 3});
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].id, "foreign-text");
  EXPECT_EQ(rows[0].status, Status::Failed);
  EXPECT_EQ(rows[1].id, rules::kNoExceptions);
  EXPECT_EQ(rows[1].status, Status::Failed);
  EXPECT_NE(rows[1].detail.find("while checking foreign-text"), std::string::npos);
  EXPECT_EQ(rows[2].id, "foreign-read-only");
  EXPECT_EQ(rows[2].status, Status::Aborted);
}

TEST(SessionProtocol, AFaultInTheRetiredRecordIsBlamedOnInitParams) {
  const auto rows = protocol::rowsFromSession(
      "plan\tforeign-text\nplan\tinit-params-kept\nenter\tforeign-text\ncrash\tc0000005\t1\n", {false, 0, 0xC0000005});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].id, "foreign-text");
  EXPECT_NE(rows[0].detail.find("reading the InitParams record after Init had returned"), std::string::npos);
  EXPECT_EQ(rows[1].id, rules::kInitParamsKept);
  EXPECT_EQ(rows[1].status, Status::Failed);
  EXPECT_NE(rows[1].detail.find("while checking foreign-text"), std::string::npos);
}

TEST(SessionProtocol, AHangAndASuddenExitAreNamedToo) {
  const std::string output = "plan\tfinish-returns\nenter\tfinish-returns\n";
  const auto hung = protocol::rowsFromSession(output, {true, 300, 0xDEAD});
  ASSERT_EQ(hung.size(), 1u);
  EXPECT_EQ(hung[0].detail, "the library did not return within 300 seconds; the checker stopped it");
  const auto exited = protocol::rowsFromSession(output, {false, 0, 3});
  EXPECT_NE(exited[0].detail.find("ended the process or aborted"), std::string::npos);
  EXPECT_EQ(exited[0].status, Status::Failed);
}

TEST(Report, RowsOfSessionsMergeWithFailureFirstAndInTheToolsOrder) {
  const std::vector<std::vector<Row>> sessions = {
      {{"texts-stable", "", Status::Passed, ""}, {"exports", "", Status::Passed, ""}},
      {{"no-exceptions", "", Status::Aborted, "not run"}, {"texts-stable", "", Status::Failed, "after Init"}},
      {{"no-exceptions", "", Status::Passed, ""}},
  };
  const auto rows = mergeRows(sessions);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].id, "exports");
  EXPECT_EQ(rows[1].id, "no-exceptions");
  EXPECT_EQ(rows[1].status, Status::Aborted) << "a check that did not run everywhere is not proven";
  EXPECT_EQ(rows[2].status, Status::Failed);
  EXPECT_EQ(rows[2].detail, "after Init");
  EXPECT_EQ(exitCode(rows), 1);
  EXPECT_EQ(exitCode({{"exports", "", Status::Passed, ""}, {"x", "", Status::Skipped, ""}}), 0);
}

// --- the library's import table -----------------------------------------------------------------

// A PE file as a linker lays it out, reduced to what the import table needs: the MS-DOS header, the PE
// header with its 16 data directories, and one section holding the import descriptors, each DLL's lookup
// and address tables, and the names. "#12" imports ordinal 12.
struct PeShape {
  bool wide = true;  // PE32+ (64-bit); false: PE32 (32-bit)
  std::vector<std::pair<std::string, std::vector<std::string>>> imports;
  bool lookupTables = true;  // false: only the address tables, as older linkers leave them
};

std::string makePe(const PeShape& shape) {
  constexpr uint32_t kSectionRva = 0x2000, kSectionFileOffset = 0x400;
  std::string file(kSectionFileOffset, '\0');
  const auto put = [&](size_t at, uint64_t value, size_t size) {
    if (file.size() < at + size) file.resize(at + size, '\0');
    for (size_t i = 0; i < size; ++i) file[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  const size_t thunk = shape.wide ? 8 : 4;

  // The section's content, laid out first so that its size is known for the section header.
  std::string section((shape.imports.size() + 1) * 20, '\0');
  const auto append = [&](const std::string& bytes) {
    const uint32_t rva = kSectionRva + static_cast<uint32_t>(section.size());
    section += bytes;
    while (section.size() % 8) section += '\0';
    return rva;
  };
  const auto field = [&](std::string& into, size_t at, uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i) into[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  for (size_t d = 0; d < shape.imports.size(); ++d) {
    const auto& [library, functions] = shape.imports[d];
    std::string table((functions.size() + 1) * thunk, '\0');
    for (size_t f = 0; f < functions.size(); ++f) {
      const uint64_t byOrdinal = shape.wide ? uint64_t{1} << 63 : uint64_t{1} << 31;
      const uint64_t entry = functions[f].starts_with("#")
                                 ? byOrdinal | std::stoul(functions[f].substr(1))
                                 : append(std::string("\x01\x00", 2) + functions[f] + '\0');  // hint, name
      field(table, f * thunk, entry, thunk);
    }
    const uint32_t lookup = append(table), address = append(table), name = append(library + '\0');
    field(section, d * 20, shape.lookupTables ? lookup : 0, 4);
    field(section, d * 20 + 12, name, 4);
    field(section, d * 20 + 16, address, 4);
  }

  put(0, 0x5A4D, 2);   // "MZ"
  put(0x3C, 0x40, 4);  // where the PE header starts
  put(0x40, 0x00004550, 4);
  const size_t coff = 0x44, optional = coff + 20;
  const uint16_t optionalSize = shape.wide ? 240 : 224;
  put(coff, shape.wide ? 0x8664 : 0x14C, 2);
  put(coff + 2, 1, 2);  // one section
  put(coff + 16, optionalSize, 2);
  put(optional, shape.wide ? 0x20B : 0x10B, 2);
  put(optional + (shape.wide ? 108 : 92), 16, 4);               // data directories
  put(optional + (shape.wide ? 112 : 96) + 8, kSectionRva, 4);  // the import table, directory 1
  put(optional + (shape.wide ? 112 : 96) + 12, static_cast<uint32_t>((shape.imports.size() + 1) * 20), 4);
  const size_t header = optional + optionalSize;
  put(header, 0x61746164692E, 8);  // ".idata"
  put(header + 8, section.size(), 4);
  put(header + 12, kSectionRva, 4);
  put(header + 16, section.size(), 4);
  put(header + 20, kSectionFileOffset, 4);
  file.resize(kSectionFileOffset);
  return file + section;
}

std::vector<std::string> importNames(const std::vector<ImportedFunction>& imports) {
  std::vector<std::string> names;
  for (const auto& f : imports) {
    names.push_back(f.name.empty() ? fmt::format("{}:#{}", f.library, f.ordinal)
                                   : fmt::format("{}:{}", f.library, f.name));
  }
  return names;
}

TEST(PeImports, BothBitnessesAndBothTableKinds) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> imports = {
      {"KERNEL32.dll", {"CreateFileW", "GetFileAttributesW"}}, {"msvcrt.dll", {"_wstat64", "#12", "free"}}};
  const std::vector<std::string> expected = {"KERNEL32.dll:CreateFileW", "KERNEL32.dll:GetFileAttributesW",
                                             "msvcrt.dll:_wstat64", "msvcrt.dll:#12", "msvcrt.dll:free"};
  for (const bool wide : {true, false}) {
    for (const bool lookupTables : {true, false}) {
      std::vector<ImportedFunction> found;
      std::string error;
      ASSERT_TRUE(readImports(makePe({wide, imports, lookupTables}), found, error)) << error;
      EXPECT_EQ(importNames(found), expected)
          << (wide ? "PE32+" : "PE32") << (lookupTables ? "" : ", address tables only");
    }
    std::vector<ImportedFunction> none{ImportedFunction{"stale", "entry"}};
    std::string error;
    EXPECT_TRUE(readImports(makePe({wide, {}}), none, error)) << error;
    EXPECT_TRUE(none.empty());
  }
}

TEST(PeImports, DamagedFilesAreRefusedWithTheReason) {
  const std::string good = makePe({true, {{"msvcrt.dll", {"_wstat64"}}}});
  std::string noMz = good, noPe = good, oddMagic = good, lostTable = good;
  noMz[0] = 'X';
  noPe[0x40] = 'X';
  oddMagic[0x58] = 0x07;                  // the optional header's magic
  lostTable[0x44 + 20 + 112 + 9] = 0x70;  // the import table's RVA now points past the section
  const struct {
    const char* name;
    std::string bytes;
    const char* error;
  } cases[] = {
      {"empty", "", "no MS-DOS header"},
      {"no MZ", noMz, "no MS-DOS header"},
      {"no PE signature", noPe, "no PE header"},
      {"cut inside the PE header", good.substr(0, 0x60), "cut short"},
      {"unknown optional header", oddMagic, "magic 0x207"},
      {"import table outside every section", lostTable, "lies in no section"},
      {"cut inside the import table", good.substr(0, 0x410), "run"},
  };
  for (const auto& c : cases) {
    std::vector<ImportedFunction> found;
    std::string error;
    EXPECT_FALSE(readImports(c.bytes, found, error)) << c.name;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
  }
}

// Every descriptor of the table names the same long thunk array: a file of about 2 MB whose tables, each
// within its own cap, add up to billions of entries.
std::string peWithSharedThunks(size_t descriptors, size_t thunks) {
  constexpr uint32_t kSectionRva = 0x2000, kSectionFileOffset = 0x400;
  const uint32_t hintName = kSectionRva + static_cast<uint32_t>((descriptors + 1) * 20);
  const uint32_t library = hintName + 8;
  const uint32_t thunkArray = library + 16;
  std::string section((thunkArray - kSectionRva) + (thunks + 1) * 8, '\0');
  const auto field = [&section](size_t at, uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i) section[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  for (size_t d = 0; d < descriptors; ++d) {
    field(d * 20, thunkArray, 4);
    field(d * 20 + 12, library, 4);
    field(d * 20 + 16, thunkArray, 4);
  }
  section.replace(hintName - kSectionRva, 4, std::string("\x01\x00f\0", 4));
  section.replace(library - kSectionRva, 6, std::string("a.dll\0", 6));
  for (size_t t = 0; t < thunks; ++t) field(thunkArray - kSectionRva + t * 8, hintName, 8);

  std::string file(kSectionFileOffset, '\0');
  const auto put = [&file](size_t at, uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i) file[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put(0, 0x5A4D, 2);
  put(0x3C, 0x40, 4);
  put(0x40, 0x00004550, 4);
  const size_t coff = 0x44, optional = coff + 20;
  put(coff, 0x8664, 2);
  put(coff + 2, 1, 2);
  put(coff + 16, 240, 2);
  put(optional, 0x20B, 2);
  put(optional + 108, 16, 4);
  put(optional + 112 + 8, kSectionRva, 4);
  const size_t header = optional + 240;
  put(header + 8, section.size(), 4);
  put(header + 12, kSectionRva, 4);
  put(header + 16, section.size(), 4);
  put(header + 20, kSectionFileOffset, 4);
  return file + section;
}

TEST(PeImports, TablesThatShareOneLongThunkArrayAreRefusedByTheirTotal) {
  const std::string crafted = peWithSharedThunks(65535, 65535);
  ASSERT_LT(crafted.size(), size_t{3} << 20);
  std::vector<ImportedFunction> found;
  std::string error;
  EXPECT_FALSE(readImports(crafted, found, error));
  EXPECT_NE(error.find("more than 65536 functions"), std::string::npos) << error;
  EXPECT_TRUE(found.empty());
  // A few descriptors over the same array are a (strange but) readable table.
  EXPECT_TRUE(readImports(peWithSharedThunks(3, 4), found, error)) << error;
  EXPECT_EQ(found.size(), 12u);
}

TEST(CrtStatImports, WhichImportsCount) {
  const struct {
    const char* library;
    const char* name;
    bool counts;
  } cases[] = {
      {"msvcrt.dll", "_wstat64", true},
      {"MSVCRT.DLL", "_wstat64", true},
      {"msvcrt.dll", "_wstat", true},
      {"msvcrt.dll", "_stat", true},
      {"msvcrt.dll", "_stati64", true},
      {"msvcrt.dll", "_wstati64", true},
      {"msvcrt.dll", "_stat32", true},
      {"msvcrt.dll", "_wstat64i32", true},
      {"msvcrt.dll", "_stat32i64", true},
      {"ucrtbase.dll", "_wstat64", true},
      {"api-ms-win-crt-filesystem-l1-1-0.dll", "_wstat64", true},
      {"msvcr120.dll", "_stat64", true},
      {"msvcrt.dll", "_fstat64", false},  // a descriptor, not a path
      {"msvcrt.dll", "_wstat64x", false},
      {"msvcrt.dll", "_wstat128", false},
      {"msvcrt.dll", "stat", false},
      {"KERNEL32.dll", "_wstat64", false},
      {"msvcrt.dll", "_wfindfirst64", false},
      {"KERNEL32.dll", "GetFileAttributesW", false},
  };
  for (const auto& c : cases) EXPECT_EQ(isCrtStatImport({c.library, c.name}), c.counts) << c.library << " " << c.name;
}

TEST(CrtStatImports, AWarningThatNamesTheFunctionsAndTheRisk) {
  const Row asks = checkCrtStatImports(
      makePe({false, {{"KERNEL32.dll", {"DeleteFileW"}}, {"msvcrt.dll", {"_wstat64", "_fstat64", "_wstat"}}}}));
  EXPECT_EQ(asks.id, rules::kCrtStatImports);
  EXPECT_EQ(asks.status, Status::Warning);
  for (const char* part :
       {"imports _wstat64, _wstat from msvcrt.dll", "\"not found\" for every path in the long-path form",
        "under Wine they work", "GetFileAttributesW"}) {
    EXPECT_NE(asks.detail.find(part), std::string::npos) << part << " in " << asks.detail;
  }
  const Row clean =
      checkCrtStatImports(makePe({true, {{"KERNEL32.dll", {"GetFileAttributesW"}}, {"msvcrt.dll", {"free"}}}}));
  EXPECT_EQ(clean.status, Status::Passed);
  EXPECT_EQ(clean.detail, "");
  const Row unreadable = checkCrtStatImports("not a library");
  EXPECT_EQ(unreadable.status, Status::Skipped);
  EXPECT_NE(unreadable.detail.find("no MS-DOS header"), std::string::npos);
}

TEST(CrtStatImports, TheWarningRowLeavesTheExitCodeAsItWas) {
  std::vector<std::string> printed;
  std::string libraryFile = makePe({true, {{"msvcrt.dll", {"_wstat64"}}}});
  std::string sessionOutput = "row\texports\tpassed\t\nrow\tinit-valid\tpassed\t\ndone\n";
  CoordinatorPlatform platform;
  platform.makeWorkFolder = [] { return std::wstring(L"W:\\work"); };
  platform.runSession = [&](SessionKind, const std::wstring&) { return SessionOutput{sessionOutput, {}}; };
  platform.removeWorkFolder = [](const std::wstring&) {};
  platform.readFile = [&](const std::wstring& path, std::string& bytes) {
    EXPECT_EQ(path, L"K:\\Keyloom.dll");
    bytes = libraryFile;
    return true;
  };
  platform.print = [&](const std::string& text) { printed.push_back(text); };

  EXPECT_EQ(checkLibrary({L"K:\\Keyloom.dll"}, platform), 0);
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_NE(printed[0].find("\nwarning  crt-stat-imports"), std::string::npos) << printed[0];
  EXPECT_NE(printed[0].find("2 passed, 0 failed, 0 skipped, 0 not run, 1 warning\n"), std::string::npos) << printed[0];
  EXPECT_LT(printed[0].find("crt-stat-imports"), printed[0].find("init-valid"))
      << "read from the file, so reported before any call";

  sessionOutput = "row\texports\tpassed\t\nrow\tinit-valid\tFAILED\trefused\ndone\n";
  EXPECT_EQ(checkLibrary({L"K:\\Keyloom.dll"}, platform), 1) << "a failure still fails, warning or not";

  sessionOutput = "row\texports\tpassed\t\ndone\n";
  libraryFile = makePe({true, {{"msvcrt.dll", {"free"}}}});
  printed.clear();
  EXPECT_EQ(checkLibrary({L"K:\\Keyloom.dll"}, platform), 0);
  EXPECT_NE(printed[0].find("passed   crt-stat-imports"), std::string::npos) << printed[0];
  EXPECT_NE(printed[0].find("2 passed, 0 failed, 0 skipped, 0 not run\n"), std::string::npos) << printed[0];
}

TEST(Arguments, TheCommandLine) {
  CheckArguments parsed;
  std::string error;
  ASSERT_TRUE(parseArguments({L"lib.dll", L"--samples", L"S", L"--test-path", L"T"}, parsed, error));
  EXPECT_EQ(parsed.library, L"lib.dll");
  EXPECT_EQ(parsed.samples, L"S");
  EXPECT_EQ(parsed.testPath, L"T");
  const struct {
    std::vector<std::wstring> args;
    const char* error;
  } wrong[] = {
      {{}, "no library given"},
      {{L"lib.dll", L"--samples"}, "--samples needs a folder"},
      {{L"lib.dll", L"other.dll"}, "unexpected argument other.dll"},
      {{L"lib.dll", L"--verbose"}, "unexpected argument --verbose"},
  };
  for (const auto& c : wrong) {
    EXPECT_FALSE(parseArguments(c.args, parsed, error));
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
}  // namespace keyloom_check
