// The manifest as Windows reads it from the built program: elevation, and long paths without the limit
// of 260 characters where the machine allows them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/process/harness.h"

namespace {

std::string manifest_of(const std::wstring& program) {
  HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return {};
  std::string text;
  if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {  // RT_MANIFEST
    const DWORD size = SizeofResource(module, found);
    if (HGLOBAL loaded = LoadResource(module, found)) text.assign(static_cast<const char*>(LockResource(loaded)), size);
  }
  FreeLibrary(module);
  return text;
}

TEST(Manifest, AsksForAdministratorAndLongPaths) {
  const std::string manifest = manifest_of((harness::bin_dir() / DELIVERABLE_FILE_NAME).wstring());
  ASSERT_FALSE(manifest.empty()) << "no manifest resource 1 in the program";
  EXPECT_NE(manifest.find(R"(<requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>)"),
            std::string::npos);
  EXPECT_NE(manifest.find(
                R"(<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true</longPathAware>)"),
            std::string::npos)
      << manifest;
}

TEST(Manifest, TheConsoleProgramStartsAsItIsAndAsksForLongPaths) {
  const std::string manifest = manifest_of((harness::bin_dir() / CONSOLE_FILE_NAME).wstring());
  ASSERT_FALSE(manifest.empty()) << "no manifest resource 1 in the console program";
  // Started by a fleet tool as the system account, or from an elevated prompt: an elevation request would
  // open a console of its own and lose the exit code and the output.
  EXPECT_NE(manifest.find(R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)"), std::string::npos);
  EXPECT_NE(manifest.find(
                R"(<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true</longPathAware>)"),
            std::string::npos)
      << manifest;
}

}  // namespace
