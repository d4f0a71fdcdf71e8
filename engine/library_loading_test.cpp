// The one way the tool and keyloom-check load a decryption library, with the built test libraries.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>

#include "engine/library_loading.h"

namespace {

namespace fs = std::filesystem;

fs::path binFolder() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return fs::path(path).parent_path();
}

struct BindingCase {
  const char* name;
  std::wstring path;  // relative paths are the bin folder's, the test's working directory
  bool getInfo, init, decryptSingleFile, finish;
};

class LibraryLoading : public testing::TestWithParam<BindingCase> {};

TEST_P(LibraryLoading, BindsEachExportTheLibraryHasByName) {
  const BindingCase& c = GetParam();
  ASSERT_TRUE(SetCurrentDirectoryW(binFolder().c_str()));
  const LoadedLibrary loaded = loadLibraryByFullPath(c.path);
  ASSERT_NE(loaded.module, nullptr) << "error " << loaded.error;
  EXPECT_EQ(loaded.error, 0u);
  EXPECT_EQ(loaded.exports.getInfo != nullptr, c.getInfo);
  EXPECT_EQ(loaded.exports.init != nullptr, c.init);
  EXPECT_EQ(loaded.exports.decryptSingleFile != nullptr, c.decryptSingleFile);
  EXPECT_EQ(loaded.exports.finish != nullptr, c.finish);
  if (c.getInfo) {
    ToolInfo info{};
    EXPECT_TRUE(loaded.exports.getInfo(&info)) << "the bound address is the library's GetInfo";
    EXPECT_NE(info.name, nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LibraryLoading,
    testing::Values(BindingCase{"relative_to_the_working_directory", L"keyloom-test.dll", true, true, true, true},
                    BindingCase{"full_with_forward_slashes",
                                (binFolder() / "keyloom-test-no-init.dll").generic_wstring(), true, false, true, true},
                    BindingCase{"without_GetInfo", L"keyloom-test-no-getinfo.dll", false, true, true, true},
                    BindingCase{"without_Finish", L".\\keyloom-test-no-finish.dll", true, true, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LibraryLoadingRefused, TheSystemsErrorIsKeptAndNothingIsBound) {
  const fs::path folder = fs::temp_directory_path() / L"library-loading-refused";
  fs::create_directories(folder);
  std::ofstream(folder / L"Keyloom.dll") << "not a library";
  const struct {
    fs::path path;
    uint32_t error;
  } cases[] = {{folder / L"missing.dll", ERROR_MOD_NOT_FOUND}, {folder / L"Keyloom.dll", ERROR_BAD_EXE_FORMAT}};
  for (const auto& c : cases) {
    const LoadedLibrary loaded = loadLibraryByFullPath(c.path.native());
    EXPECT_EQ(loaded.module, nullptr) << c.path;
    EXPECT_EQ(loaded.error, c.error) << c.path;
    EXPECT_EQ(loaded.exports.getInfo, nullptr) << c.path;
  }
  fs::remove_all(folder);
}

// Changes this process's DLL search for good, as the tool and the checker do; no other test here depends on it.
TEST(LibraryLoadingSearch, AfterTheSetUpTheWorkingDirectorySuppliesALibraryOnlyByItsFullPath) {
  const fs::path folder = fs::temp_directory_path() / L"library-loading-search";
  fs::create_directories(folder);
  for (const wchar_t* name : {L"planted-before.dll", L"planted-after.dll"})
    fs::copy_file(binFolder() / L"keyloom-test.dll", folder / name, fs::copy_options::overwrite_existing);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));

  const HMODULE before = LoadLibraryW(L"planted-before.dll");
  EXPECT_NE(before, nullptr) << "by default the working directory supplies a library by its name";
  if (before) FreeLibrary(before);

  keepWorkingDirectoryOutOfDllSearch();
  const HMODULE byName = LoadLibraryW(L"planted-after.dll");
  EXPECT_EQ(byName, nullptr) << "after the set-up it does not";
  if (byName) FreeLibrary(byName);
  const LoadedLibrary loaded = loadLibraryByFullPath(L"planted-after.dll");
  EXPECT_NE(loaded.module, nullptr) << "but a name made full is loaded from there (error " << loaded.error << ")";
  EXPECT_NE(loaded.exports.getInfo, nullptr);

  if (loaded.module) FreeLibrary(static_cast<HMODULE>(loaded.module));  // the tool never does; the test's folder goes
  ASSERT_TRUE(SetCurrentDirectoryW(binFolder().c_str()));
  fs::remove_all(folder);
}

}  // namespace
