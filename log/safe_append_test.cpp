// The log's opening against files that answer as Windows does by handle: what is planted at the log's
// place is never written, and what the opening itself made at a wrong place is taken back.
#include "log/safe_append.h"

#include <gtest/gtest.h>

#include "engine/test_file_handles.h"

namespace {

const std::wstring kFolder = L"T:\\temp";
const std::wstring kName = L"OstrivelLog.txt";
const std::wstring kLog = kFolder + L"\\" + kName;
constexpr uint32_t kSymlink = 0xA000000C;     // IO_REPARSE_TAG_SYMLINK
constexpr uint32_t kMountPoint = 0xA0000003;  // IO_REPARSE_TAG_MOUNT_POINT

TEST(SafeAppend, WhatIsAtTheLogsPlaceDecidesWhetherItIsWritten) {
  const struct {
    const char* name;
    std::function<void(TestFiles&)> place;  // what is at the log's place before the opening
    AppendOpening::Refusal refusal;
    bool createdAndTakenBack;
  } cases[] = {
      {"a plain log", [](TestFiles& f) { f.files[kLog]; }, AppendOpening::None, false},
      {"no log yet", [](TestFiles&) {}, AppendOpening::None, false},
      {"a symbolic link planted there",
       [](TestFiles& f) {
         f.files[kLog].facts = {0x20 | 0x400, kSymlink, 1};
       },
       AppendOpening::ReparsePoint, false},
      {"a mount point planted there",
       [](TestFiles& f) {
         f.files[kLog].facts = {0x10 | 0x400, kMountPoint, 1};
       },
       AppendOpening::ReparsePoint, false},
      {"a second hard link of another file",
       [](TestFiles& f) {
         f.files[kLog].facts = {0x20, 0, 2};
       },
       AppendOpening::SeveralLinks, false},
      // The folder swapped for a junction to \RPC Control after its final path was taken, with an
      // object-manager link named like the log: the path now leads to another file.
      {"a path that leads elsewhere",
       [](TestFiles& f) {
         f.files[kLog];
         f.redirects = {{kLog, L"\\\\?\\C:\\Windows\\win.ini"}};
       },
       AppendOpening::ElsewhereNow, false},
      {"a log made where the path now leads",
       [](TestFiles& f) {
         f.redirects = {{kFolder, L"\\\\?\\C:\\Windows\\System32"}};
       },
       AppendOpening::ElsewhereNow, true},
      {"a log held open without sharing", [](TestFiles& f) { f.openErrors[kLog] = 32; }, AppendOpening::CannotOpen,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestFiles files;
    const std::wstring folderFinal = files.finalOf(kFolder);  // taken before anything was swapped
    c.place(files);
    const bool existed = files.files.count(kLog) > 0;
    AppendOpening opening = openForAppending(files, kLog, folderFinal, kName);
    EXPECT_EQ(opening.refusal, c.refusal);
    if (c.refusal == AppendOpening::None) {
      ASSERT_TRUE(opening.file);
      uint32_t error = 0;
      EXPECT_TRUE(opening.file->append("line\r\n", error));
      opening.file.reset();
      EXPECT_EQ(files.files.at(kLog).content, "line\r\n");
      continue;
    }
    EXPECT_FALSE(opening.file);
    if (existed) {
      EXPECT_EQ(files.files.at(kLog).content, "") << "nothing written to what was there";
    }
    EXPECT_EQ(files.removed, c.createdAndTakenBack ? std::vector<std::wstring>{kLog} : std::vector<std::wstring>{})
        << "only what the opening made is removed";
  }
}

TEST(SafeAppend, AFolderWithoutAFinalPathIsNotWritten) {
  TestFiles files;
  const AppendOpening opening = openForAppending(files, kLog, L"", kName);
  EXPECT_EQ(opening.refusal, AppendOpening::FolderUnknown);
  EXPECT_TRUE(files.created.empty()) << "nothing is made where the folder cannot be told";
}

TEST(SafeAppend, EachRefusalSaysWhyInOneLine) {
  const std::string subject = "The log file \"T:\\temp\\OstrivelLog.txt\"";
  AppendOpening elsewhere{nullptr, AppendOpening::ElsewhereNow, 0, L"\\\\?\\C:\\Windows\\win.ini"};
  EXPECT_EQ(appendRefusalLine(subject, elsewhere, ""),
            subject + " was not written: its path leads to \"\\\\?\\C:\\Windows\\win.ini\".");
  EXPECT_EQ(appendRefusalLine(subject, {nullptr, AppendOpening::SeveralLinks, 0, {}}, ""),
            subject + " was not written: it has more than one name (hard link).");
  EXPECT_EQ(appendRefusalLine(subject, {nullptr, AppendOpening::CannotOpen, 5, {}}, "Access is denied."),
            subject + " was not written: Access is denied.");
  EXPECT_EQ(appendRefusalLine(subject, {}, ""), "");
}

}  // namespace
