// keyloom-check run under Wine on real libraries: it passes the demonstration library with samples made
// by demo_encrypt and the template without samples, it loads a library as the tool does, and it names the
// rule that each deliberately faulty configuration of the test library breaks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

#include "import_checks.h"
#include "pe_imports.h"
#include "tests/process/harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Sandbox;

struct Report {
  DWORD exit_code = 0;
  std::string text;
  std::map<std::string, std::string> status;  // check id -> "passed", "FAILED", "skipped", "NOT-RUN", "warning"

  std::vector<std::string> with(const std::string& wanted) const {
    std::vector<std::string> ids;
    for (const auto& [id, s] : status)
      if (s == wanted) ids.push_back(id);
    return ids;
  }
};

// Runs the checker of the bin folder, or a copy of it (program, a full path), in the sandbox's root or in
// working_directory.
Report check(const Sandbox& box, const std::vector<std::wstring>& args, const fs::path& program = "keyloom-check.exe",
             const fs::path& working_directory = {}) {
  // The checker keeps its work folder when a check fails; in the sandbox it goes when the test passes.
  // The checker inherits the variables; this process gets its own back for the next sandbox.
  const fs::path temp = fs::temp_directory_path();
  SetEnvironmentVariableW(L"TMP", box.temp_dir().c_str());
  SetEnvironmentVariableW(L"TEMP", box.temp_dir().c_str());
  const auto run =
      harness::run_program_output(program.wstring(), args, working_directory.empty() ? box.root() : working_directory);
  SetEnvironmentVariableW(L"TMP", temp.c_str());
  SetEnvironmentVariableW(L"TEMP", temp.c_str());
  Report report{run.exit_code, run.output, {}};
  EXPECT_FALSE(run.timed_out);
  std::istringstream lines(run.output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string status, id;
    words >> status >> id;
    if (status == "passed" || status == "FAILED" || status == "skipped" || status == "NOT-RUN" || status == "warning")
      report.status[id] = status;
  }
  std::printf("%s", run.output.c_str());  // the report, for whoever reads the test log
  return report;
}

// The work folder a failing check left in the sandbox holds a read-only file, which the sandbox's own
// clean-up cannot remove: clear the attributes first.
void removeKeptWorkFolders(const Sandbox& box) {
  for (const auto& entry : fs::recursive_directory_iterator(box.temp_dir())) {
    SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  for (const auto& entry : fs::directory_iterator(box.temp_dir())) fs::remove_all(entry.path());
}

// Encrypts clean files with demo_encrypt and lays them out as the checker's samples: <case>\encrypted\ and
// <case>\clean\, one file each. The pairs folder demo_encrypt writes is the library's test folder.
void makeDemoSamples(const Sandbox& box, const fs::path& samples, const fs::path& pairs) {
  const fs::path victim = box.files_dir() / "victim";
  const std::map<std::string, std::string> files = {
      {"letter.txt", "Dear reader,\r\nthis letter was encrypted by the demonstration family.\r\n"},
      {"tiny.bin", "x"},
      {"empty.dat", ""},
  };
  for (const auto& [name, content] : files) harness::write_file(victim / name, content);
  ASSERT_EQ(
      harness::run_program(L"demo_encrypt.exe",
                           {victim.wstring(), pairs.wstring(), L"00112233445566778899aabbccddeeff"}, box.files_dir()),
      0u);
  for (const auto& [name, content] : files) {
    const fs::path sample = samples / fs::path(name).stem();
    fs::create_directories(sample / "encrypted");
    fs::copy_file(victim / (name + ".kyl"), sample / "encrypted" / (name + ".kyl"));
    harness::write_file(sample / "clean" / name, content);
  }
}

TEST(KeyloomCheck, PassesTheDemonstrationLibraryWithItsSamples) {
  Sandbox box;
  const fs::path samples = box.files_dir() / "samples", pairs = box.files_dir() / "pairs";
  makeDemoSamples(box, samples, pairs);
  const Report report = check(box, {(harness::bin_dir() / "keyloom-demo.dll").wstring(), L"--samples",
                                    samples.wstring(), L"--test-path", pairs.wstring()});
  EXPECT_EQ(report.exit_code, 0u) << report.text;
  EXPECT_EQ(report.with("FAILED"), std::vector<std::string>{});
  EXPECT_EQ(report.with("skipped"), std::vector<std::string>{});
  for (const char* id :
       {"sample-letter", "sample-tiny", "sample-empty", "foreign-extension", "init-missing-test-folder",
        "init-params-kept", "no-log-after-finish", "crt-stat-imports", "interrupted-write", "full-disk-mid-write"}) {
    EXPECT_EQ(report.status.count(id) ? report.status.at(id) : "absent", "passed") << id;
  }
  EXPECT_NE(report.text.find("clean copy written as letter.txt"), std::string::npos);
  EXPECT_FALSE(fs::exists(samples / "letter" / "encrypted" / "letter.txt")) << "the library never saw the samples";
  EXPECT_TRUE(fs::is_empty(box.temp_dir())) << "after a pass the checker removes its work folder";
}

TEST(KeyloomCheck, PassesTheTemplateWithoutSamples) {
  Sandbox box;
  const Report report = check(box, {(harness::bin_dir() / "keyloom-template.dll").wstring()});
  EXPECT_EQ(report.exit_code, 0u) << report.text;
  EXPECT_EQ(report.with("FAILED"), std::vector<std::string>{});
  EXPECT_EQ(report.with("skipped"), (std::vector<std::string>{"foreign-extension", "init-missing-test-folder"}))
      << "no samples tell the extension, and the template asks for no test folder";
  EXPECT_EQ(report.with("warning"), std::vector<std::string>{}) << "the example authors copy asks the system, not stat";
}

// The import tables of the built libraries, read in this process: the examples that authors copy ask the
// system about paths, and only the test library, which can ask std::filesystem (askFilesystem), imports stat.
TEST(KeyloomCheck, OnlyTheTestLibraryImportsTheCRuntimesStat) {
  const struct {
    const char* library;
    const char* systemCall;  // one call the library makes on its paths, found in its import table
    bool importsStat;
  } cases[] = {
      // Its one question about a path (is the test folder there) is compiled out while it needs none.
      {"keyloom-template.dll", nullptr, false},
      {"keyloom-demo.dll", "FindFirstFileExW", false},
      {"keyloom-test.dll", "DeleteFileW", true},
  };
  for (const auto& c : cases) {
    std::vector<keyloom_check::ImportedFunction> imports;
    std::string error;
    ASSERT_TRUE(keyloom_check::readImports(harness::read_file(harness::bin_dir() / c.library), imports, error))
        << c.library << ": " << error;
    const auto has = [&](const auto& wanted) { return std::any_of(imports.begin(), imports.end(), wanted); };
    EXPECT_TRUE(has([](const auto& f) { return f.library == "KERNEL32.dll" && !f.name.empty(); })) << c.library;
    if (c.systemCall) {
      EXPECT_TRUE(has([&](const auto& f) { return f.name == c.systemCall; })) << c.library;
    }
    EXPECT_EQ(has(keyloom_check::isCrtStatImport), c.importsStat) << c.library;
    if (c.importsStat) {
      EXPECT_TRUE(has([](const auto& f) { return f.library == "msvcrt.dll" && f.name == "_wstat64"; }))
          << "std::filesystem's queries in this toolchain's libstdc++ go through _wstat64, on either processor";
    }
  }
}

TEST(KeyloomCheck, ALibraryMissingAnExportIsRefusedAtOnce) {
  Sandbox box;
  const Report report = check(box, {(harness::bin_dir() / "keyloom-test-no-finish.dll").wstring()});
  EXPECT_EQ(report.exit_code, 1u);
  EXPECT_EQ(report.status, (std::map<std::string, std::string>{{"exports", "FAILED"}}));
  removeKeptWorkFolders(box);
  EXPECT_NE(report.text.find("Finish is missing"), std::string::npos) << report.text;
}

// The checker loads a library with the tool's own code: the DLLs a library imports come from its own folder
// and the system's, never from the working directory. The checker runs as a copy in a folder of its own, as
// the bin folder, its usual one, holds the test library's dependency too.
struct DependencyCase {
  const char* name;
  bool besideTheLibrary;  // else only in the working directory
  bool loads;             // else refused at once: the session reports the exports row alone
  const char* says;
};

class KeyloomCheckLoading : public testing::TestWithParam<DependencyCase> {};

TEST_P(KeyloomCheckLoading, TheLibrarysOwnDllComesFromItsFolderOnly) {
  const DependencyCase& c = GetParam();
  Sandbox box;
  const fs::path checker = box.root() / "checker" / "keyloom-check.exe";
  const fs::path library = box.files_dir() / "library" / "Keyloom.dll";
  fs::create_directories(checker.parent_path());
  fs::create_directories(library.parent_path());
  fs::copy_file(harness::bin_dir() / "keyloom-check.exe", checker);
  fs::copy_file(harness::bin_dir() / "keyloom-test-with-dependency.dll", library);
  harness::write_file(library.parent_path() / "Keyloom.dll.cfg", "flags=scan,backup,overwrite,whole\n");
  const fs::path dependencyFolder = c.besideTheLibrary ? library.parent_path() : box.app_dir();
  fs::copy_file(harness::bin_dir() / "keyloom-test-dependency.dll", dependencyFolder / "keyloom-test-dependency.dll");

  const Report report = check(box, {library.wstring()}, checker, box.app_dir());
  if (c.loads) {
    EXPECT_EQ(report.with("FAILED"), std::vector<std::string>{}) << report.text;
    EXPECT_EQ(report.status.count("exports") ? report.status.at("exports") : "absent", "passed");
  } else {
    EXPECT_EQ(report.status, (std::map<std::string, std::string>{{"exports", "FAILED"}}));
  }
  EXPECT_EQ(report.exit_code, c.loads ? 0u : 1u);
  EXPECT_NE(report.text.find(c.says), std::string::npos) << report.text;
  removeKeptWorkFolders(box);
}

INSTANTIATE_TEST_SUITE_P(Dependency, KeyloomCheckLoading,
                         testing::Values(DependencyCase{"beside_the_library", true, true, "Dependent family"},
                                         DependencyCase{"only_in_the_working_directory", false, false,
                                                        "the library cannot be loaded"}),
                         [](const auto& info) { return std::string(info.param.name); });

// One rule broken at a time by the test library's configuration.
struct Misbehaviour {
  const char* name;
  std::string config;
  std::vector<std::string> failing;  // exactly the checks that must fail
  const char* says;                  // part of the report that names the fault
  bool withSample = false;           // give a sample doc.enc whose clean content is its own bytes
  bool crashes = false;              // the library faults, so the checks after it are reported as not run
};

class KeyloomCheckFaults : public testing::TestWithParam<Misbehaviour> {};

TEST_P(KeyloomCheckFaults, TheBrokenRuleIsNamed) {
  const Misbehaviour& m = GetParam();
  Sandbox box;
  const fs::path library = box.app_dir() / "Keyloom.dll";
  fs::copy_file(harness::bin_dir() / "keyloom-test.dll", library);
  // Without "test" among the flags the library needs no test folder, so each case breaks only its own rule.
  harness::write_file(box.app_dir() / "Keyloom.dll.cfg", "flags=scan,backup,overwrite,whole\n" + m.config);
  std::vector<std::wstring> args = {library.wstring()};
  if (m.withSample) {
    const fs::path sample = box.files_dir() / "samples" / "doc";
    harness::write_file(sample / "encrypted" / "doc.enc", "identity cipher: the clean content is these bytes");
    harness::write_file(sample / "clean" / "doc.txt", "identity cipher: the clean content is these bytes");
    args.insert(args.end(), {L"--samples", (box.files_dir() / "samples").wstring()});
  }
  const Report report = check(box, args);
  EXPECT_EQ(report.with("FAILED"), m.failing) << report.text;
  EXPECT_EQ(report.exit_code, m.failing.empty() ? 0u : 1u);
  EXPECT_NE(report.text.find(m.says), std::string::npos) << report.text;
  EXPECT_EQ(!report.with("NOT-RUN").empty(), m.crashes) << report.text;
  EXPECT_EQ(fs::is_empty(box.temp_dir()), m.failing.empty()) << "a failure keeps the work folder for a look";
  removeKeptWorkFolders(box);
}

#if defined(__i386__)
// Each module has its own unwinder here: the exception cannot reach the checker and ends its session.
const Misbehaviour kThrows{"throws",
                           "throw=notes.txt\n",
                           {"foreign-text", "no-exceptions"},
                           "as it does when an exception leaves the library in a 32-bit build",
                           false,
                           true};
#else
const Misbehaviour kThrows{"throws",
                           "throw=notes.txt\n",
                           {"no-exceptions"},
                           "DecryptSingleFile (notes.txt) let an exception (test library failure) escape"};
#endif

const std::string kRestoresDoc = "result=doc.enc,1\nalter=doc.enc,copy\n";

INSTANTIATE_TEST_SUITE_P(
    TestLibrary, KeyloomCheckFaults,
    testing::Values(
        Misbehaviour{"well_behaved", "", {}, "0 failed"},
        Misbehaviour{"restores_its_sample", kRestoresDoc, {}, "clean copy written as doc.enc.restored", true},
        Misbehaviour{"decrypted_for_a_foreign_file",
                     "result=notes.txt,1\n",
                     {"foreign-text"},
                     "notes.txt (plain text): answered Decrypted, after which the tool deletes the file"},
        Misbehaviour{
            "deletes_a_foreign_file", "alter=random.bin,delete\n", {"foreign-random"}, "random.bin was deleted"},
        Misbehaviour{
            "overwrites_a_foreign_file", "alter=empty.dat,overwrite\n", {"foreign-empty"}, "empty.dat was changed"},
        // Straight under the final name: a kill leaves a truncated file that the next run keeps as restored,
        // and a full disk with Replace checked costs the earlier restored file.
        Misbehaviour{"writes_its_clean_copy_in_place",
                     "result=doc.enc,1\nalter=doc.enc,write\n",
                     {"full-disk-mid-write", "interrupted-write"},
                     "part-written: doc.enc.restored",
                     true},
        Misbehaviour{"deletes_the_encrypted_sample",
                     kRestoresDoc + "alter=doc.enc,delete\n",
                     {"sample-doc"},
                     "the encrypted file is gone",
                     true},
        // Its write is also the one the write checks interrupt, and each finds the encrypted file changed.
        Misbehaviour{"overwrites_the_encrypted_sample",
                     kRestoresDoc + "alter=doc.enc,overwrite\n",
                     {"full-disk-mid-write", "interrupted-write", "sample-doc"},
                     "the encrypted file was changed",
                     true},
        kThrows,
        Misbehaviour{"uses_init_params_after_init",
                     "useInitParams=notes.txt\n",
                     {"foreign-text", "init-params-kept"},
                     "the library read the InitParams record after Init had returned (while checking foreign-text)",
                     false,
                     true},
        Misbehaviour{"logs_after_finish",
                     "finishLog=50,still logging\n",
                     {"no-log-after-finish"},
                     "1 line(s) after Finish returned, the first \"still logging\""},
        Misbehaviour{"reuses_option_id_2",
                     "option=2,0,Scan it all,Takes the tool's id\n",
                     {"option-ids"},
                     "id 2 belongs to the tool's own option"},
        Misbehaviour{
            "returns_an_out_of_range_result", "result=random.bin,7\n", {"result-range"}, "returned 7 for random.bin"},
        // Warned of, never failed: under Wine std::filesystem finds every file, so each check passes.
        Misbehaviour{"asks_std_filesystem_about_its_paths",
                     "askFilesystem=*\n",
                     {},
                     "the library imports _wstat64 from msvcrt.dll, through which std::filesystem's queries go"},
        Misbehaviour{"accepts_a_missing_test_folder",
                     "flags=scan,test,backup,overwrite,whole\n",
                     {"init-missing-test-folder"},
                     "Init accepted a test folder that does not exist"},
        Misbehaviour{"error_text_not_utf8",
                     "flags=scan,test\ninit=fail:Schl\xfc"
                     "ssel fehlt\n",
                     {"init-missing-test-folder", "init-valid"},
                     "the error text \"Schl\\xfcssel fehlt\" is not valid UTF-8"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
