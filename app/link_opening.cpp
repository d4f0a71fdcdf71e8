#include "app/link_opening.h"

#include <fmt/format.h>

#include "engine/library_abi.h"
#include "text/encodings.h"

namespace {

// The longest address taken; anything longer is not a link of this window.
constexpr size_t kLongestAddress = 2048;

bool startsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    const wchar_t c = text[i];
    const wchar_t lower = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
    if (lower != prefix[i]) return false;
  }
  return true;
}

bool isWebAddress(std::wstring_view link) {
  constexpr std::wstring_view scheme = L"https://";
  if (!startsWithIgnoringCase(link, scheme) || link.size() == scheme.size() || link.size() > kLongestAddress)
    return false;
  for (const wchar_t c : link) {
    // Controls, spaces, quotes and backslashes could make the shell read another target or arguments.
    if (c <= 0x20 || c == 0x7F || c == L'"' || c == L'\\' || c == L'<' || c == L'>' || c == L'`') return false;
  }
  return true;
}

std::wstring_view withoutFileUrl(std::wstring_view link) {
  if (link.size() >= 2 && link.front() == L'"' && link.back() == L'"') link = link.substr(1, link.size() - 2);
  if (startsWithIgnoringCase(link, L"file:///")) link.remove_prefix(8);
  return link;
}

std::wstring folderOf(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

}  // namespace

LinkTarget chooseLinkTarget(std::wstring_view link, const std::vector<LinkedFile>& files) {
  if (isWebAddress(link)) return {LinkTarget::WebPage, std::wstring(link), {}};
  const std::wstring_view named = withoutFileUrl(link);
  for (const LinkedFile& file : files) {
    if (!file.shown.empty() && !file.path.empty() && named == file.shown)
      return {LinkTarget::File, file.path, folderOf(file.path)};
  }
  return {};
}

void openLink(std::wstring_view link, const std::vector<LinkedFile>& files, DesktopShell& shell,
              void (*log)(std::string_view message, int level)) {
  const std::string shown = text::ansi_from_wide(link.substr(0, kLongestAddress));
  const LinkTarget target = chooseLinkTarget(link, files);
  if (target.kind == LinkTarget::Refused) {
    log(fmt::format("The link \"{}\" was not opened: only web pages (https:) and the log file are opened.", shown),
        Debug);
    return;
  }
  const ShellAnswer answer = shell.open(target.target, target.folder);
  if (answer.kind == ShellAnswer::NoShell) {
    log(fmt::format("The link \"{}\" was not opened: no desktop shell of a signed-in user answers here ({}), so "
                    "nothing was launched.",
                    shown, answer.reason),
        Debug);
  } else if (answer.kind == ShellAnswer::Failed) {
    log(fmt::format("The link \"{}\" was not opened: the desktop shell refused it ({}).", shown, answer.reason), Debug);
  }
}
