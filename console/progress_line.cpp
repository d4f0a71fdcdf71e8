#include "console/progress_line.h"

#include <fmt/format.h>
#include <fmt/xchar.h>

namespace {
constexpr unsigned kNarrowest = 20;  // below this a console is taken as this wide

// A folder's name is whatever someone called it: control characters (a carriage return, the start of an
// escape sequence) would let it rewrite the console, so they are shown as "?".
std::wstring printable(std::wstring text) {
  for (wchar_t& c : text)
    if (c < 0x20 || c == 0x7F) c = L'?';
  return text;
}
}  // namespace

std::wstring progressLine(const ProgressFacts& facts, unsigned width) {
  const size_t columns = std::max(width, kNarrowest) - 1;
  std::wstring line =
      fmt::format(L"{} files looked at, {} decrypted, {} failed", facts.offered, facts.decrypted, facts.failed);
  const std::wstring folder = printable(facts.folder);
  if (!folder.empty() && line.size() + 3 < columns) {
    const size_t room = columns - line.size() - 3;
    line += L" | ";
    line += folder.size() <= room ? folder
                                  : (room > 3 ? L"..." + folder.substr(folder.size() - (room - 3)) : std::wstring());
  }
  if (line.size() > columns) line.resize(columns);
  line.resize(columns, L' ');
  return L"\r" + line;
}

std::wstring clearedProgressLine(unsigned width) {
  return L"\r" + std::wstring(std::max(width, kNarrowest) - 1, L' ') + L"\r";
}

bool ProgressPace::due(std::chrono::steady_clock::time_point now) {
  if (now < next_) return false;
  next_ = now + kPeriod;
  return true;
}
