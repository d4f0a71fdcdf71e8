// The floor for restore speed: CopyFileW of every file of one folder (not its subfolders) to the same name
// with a suffix, which reads and writes the same bytes that restoring them does; with --flush each copy is
// also flushed to the disk (FlushFileBuffers), as a restored file is before it is moved into place.
//   copy_files <folder> <suffix> [--flush]        prints the bytes copied
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  const bool flush = argc == 4 && std::wstring(argv[3]) == L"--flush";
  if (argc != 3 && !flush) {
    std::fputs("usage: copy_files <folder> <suffix> [--flush]\n", stderr);
    return 2;
  }
  const std::wstring folder = std::wstring(argv[1]) + L"\\";
  const std::wstring suffix = argv[2];
  WIN32_FIND_DATAW entry;
  const HANDLE find =
      FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return 1;
  unsigned long long bytes = 0;
  int failed = 0;
  do {
    if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    const std::wstring from = folder + entry.cFileName;
    const std::wstring to = from + suffix;
    if (!CopyFileW(from.c_str(), to.c_str(), TRUE)) {
      ++failed;
      continue;
    }
    if (flush) {
      const HANDLE copy = CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      if (copy == INVALID_HANDLE_VALUE || !FlushFileBuffers(copy)) ++failed;
      if (copy != INVALID_HANDLE_VALUE) CloseHandle(copy);
    }
    bytes += (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  std::printf("%llu\n", bytes);
  return failed == 0 ? 0 : 1;
}
