#include "standins/ui-engine/journal.h"

#include <windows.h>

#include <cstdio>
#include <mutex>

#include "standins/ui-engine/journal_lines.h"

namespace standin {
namespace {

struct JournalFile {
  std::mutex lock;
  FILE* file = nullptr;

  JournalFile() {
    wchar_t path[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableW(L"STANDIN_ENGINE_JOURNAL", path, MAX_PATH * 2);
    if (n > 0 && n < MAX_PATH * 2) file = _wfopen(path, L"ab");
  }
};

JournalFile& journal_file() {
  static JournalFile* instance = new JournalFile();  // kept to the very end of the process
  return *instance;
}

}  // namespace

void journal(std::string_view call, const json& arguments) {
  JournalFile& j = journal_file();
  if (!j.file) return;
  const std::string line = journal_line(call, arguments);
  std::lock_guard guard(j.lock);
  std::fwrite(line.data(), 1, line.size(), j.file);
  std::fflush(j.file);  // the process may end at any moment through exit()
}

}  // namespace standin
