// The template's way of writing a restored file (safe_restore.h), on the real file system, with the system's
// WriteFile made to fail half-way the way a full disk fails it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "safe_restore.h"

namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

// WriteFile that writes `room` bytes in all, then answers ERROR_DISK_FULL as a full disk does.
size_t room = 0;
BOOL WINAPI fullDiskWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
  const DWORD fits = static_cast<DWORD>(std::min<size_t>(size, room));
  if (fits == 0) {
    *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
  }
  room -= fits;
  return WriteFile(file, data, fits, written, overlapped);
}

class SafeRestore : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / L"safe-restore-test";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    encrypted_ = folder_ / L"letter.docx.kyl";
    target_ = folder_ / L"letter.docx";
    // Larger than two chunks, and not a whole number of them.
    content_.resize(safe_restore::kChunkSize * 2 + 12345);
    for (size_t i = 0; i < content_.size(); ++i) content_[i] = static_cast<char>(i * 31 + 7);
    writeFile(encrypted_, content_);
  }
  void TearDown() override {
    safe_restore::systemCalls = {};
    for (const auto& entry : fs::directory_iterator(folder_))
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(folder_);
  }

  // The template's steps: open, create, copy through (here unchanged), commit. 0, or the first error.
  uint32_t restore(bool replace) {
    safe_restore::Source source;
    if (const uint32_t error = source.open(encrypted_.native())) return error;
    safe_restore::Output output(target_.native());
    if (const uint32_t error = output.create()) return error;
    std::vector<uint8_t> buffer;
    uint64_t copied = 0;
    const char* step = "";
    if (const uint32_t error = safe_restore::copyThrough(
            source, output, buffer, [](uint8_t*, size_t) {}, true, copied, step))
      return error;
    return output.commit(source, replace);
  }

  std::vector<std::wstring> names() const {
    std::vector<std::wstring> found;
    for (const auto& entry : fs::directory_iterator(folder_)) found.push_back(entry.path().filename().native());
    std::sort(found.begin(), found.end());
    return found;
  }

  fs::path folder_, encrypted_, target_;
  std::string content_;
};

TEST_F(SafeRestore, AWriteThatFailsHalfWayLeavesTheEarlierRestoredFileWholeAndNothingElse) {
  writeFile(target_, "the file an earlier run restored, edited since");
  safe_restore::systemCalls.writeFile = &fullDiskWriteFile;
  room = safe_restore::kChunkSize + 100;
  const uint32_t error = restore(true);
  EXPECT_TRUE(safe_restore::isDiskFull(error)) << error;
  EXPECT_EQ(contentOf(target_), "the file an earlier run restored, edited since");
  EXPECT_EQ(names(), (std::vector<std::wstring>{L"letter.docx", L"letter.docx.kyl"})) << "no partial file is left";
  EXPECT_EQ(contentOf(encrypted_), content_);
}

TEST_F(SafeRestore, ANewFileIsCompleteUnderItsNameAndReplacesAnEarlierOneOnlyWhenAskedTo) {
  writeFile(target_, "earlier");
  EXPECT_TRUE(safe_restore::isTargetThere(restore(false)));
  EXPECT_EQ(contentOf(target_), "earlier");
  EXPECT_EQ(names(), (std::vector<std::wstring>{L"letter.docx", L"letter.docx.kyl"}));

  EXPECT_EQ(restore(true), 0u);
  EXPECT_EQ(contentOf(target_), content_);
  EXPECT_EQ(names(), (std::vector<std::wstring>{L"letter.docx", L"letter.docx.kyl"}));
}

TEST_F(SafeRestore, WhatAKilledRunLeftIsNeverTakenForTheRestoredFileAndIsCleanedUp) {
  // A run killed mid-write leaves the temporary file only, never one under the final name.
  writeFile(folder_ / L"letter.docx.keyloom-partial", content_.substr(0, 1000));
  EXPECT_FALSE(fs::exists(target_));
  EXPECT_EQ(restore(false), 0u);
  EXPECT_EQ(contentOf(target_), content_);
  EXPECT_EQ(names(), (std::vector<std::wstring>{L"letter.docx", L"letter.docx.kyl"}));
}

TEST_F(SafeRestore, TheRestoredFileKeepsTheOriginalsTimesAndAttributes) {
  FILETIME written{};
  written.dwHighDateTime = 0x01D00000;  // 2014
  const HANDLE file = CreateFileW(encrypted_.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
  CloseHandle(file);
  ASSERT_TRUE(SetFileAttributesW(encrypted_.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));

  ASSERT_EQ(restore(false), 0u);
  WIN32_FILE_ATTRIBUTE_DATA restored{};
  ASSERT_TRUE(GetFileAttributesExW(target_.c_str(), GetFileExInfoStandard, &restored));
  EXPECT_EQ(restored.ftLastWriteTime.dwHighDateTime, written.dwHighDateTime);
  EXPECT_EQ(restored.ftLastWriteTime.dwLowDateTime, written.dwLowDateTime);
  EXPECT_TRUE(restored.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(contentOf(target_), content_);
}

}  // namespace
