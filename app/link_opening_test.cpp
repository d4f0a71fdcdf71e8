// Which links the window may open and how: against a desktop shell that answers as Windows' does, with no
// shell at all for the system account.
#include "app/link_opening.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/library_abi.h"

namespace {

class FakeShell : public DesktopShell {
 public:
  ShellAnswer answer{ShellAnswer::Opened, {}};
  std::vector<std::pair<std::wstring, std::wstring>> opened;  // target, folder
  ShellAnswer open(const std::wstring& target, const std::wstring& folder) override {
    if (answer.kind == ShellAnswer::Opened) opened.emplace_back(target, folder);
    return answer;
  }
};

std::vector<std::string> lines;
void recordLine(std::string_view message, int level) {
  lines.push_back((level == Debug ? "Debug: " : "Other: ") + std::string(message));
}

const std::vector<LinkedFile> kLog = {{L"C:\\Users\\ANNLEE~1\\AppData\\Local\\Temp\\OstrivelLog.txt",
                                       L"C:\\Users\\Ann L\u00E9e\\AppData\\Local\\Temp\\OstrivelLog.txt"}};

TEST(LinkOpening, OnlyWebPagesAndTheProgramsOwnFilesAreOpened) {
  const std::wstring logHref = L"\"file:///C:\\Users\\ANNLEE~1\\AppData\\Local\\Temp\\OstrivelLog.txt\"";
  const struct {
    const char* name;
    std::wstring link;
    LinkTarget::Kind kind;
    std::wstring target;
  } cases[] = {
      {"the support page", L"https://www.ostrivel.example/support/decryption-tools", LinkTarget::WebPage,
       L"https://www.ostrivel.example/support/decryption-tools"},
      {"scheme in capitals", L"HTTPS://example.com/", LinkTarget::WebPage, L"HTTPS://example.com/"},
      {"the log link as the page sets it", logHref, LinkTarget::File, kLog[0].path},
      {"the log by its shown path", kLog[0].shown, LinkTarget::File, kLog[0].path},
      {"plain http", L"http://www.ostrivel.example/", LinkTarget::Refused, L""},
      {"another file", L"\"file:///C:\\Windows\\System32\\calc.exe\"", LinkTarget::Refused, L""},
      {"a program by name", L"cmd.exe", LinkTarget::Refused, L""},
      {"a script address", L"javascript:alert(1)", LinkTarget::Refused, L""},
      {"a share", L"\\\\server\\share\\tool.exe", LinkTarget::Refused, L""},
      {"an address with a space and arguments", L"https://example.com/ /c calc", LinkTarget::Refused, L""},
      {"an address with a quote", L"https://example.com/\"x", LinkTarget::Refused, L""},
      {"an address with a backslash", L"https://example.com\\..\\x", LinkTarget::Refused, L""},
      {"a scheme alone", L"https://", LinkTarget::Refused, L""},
      {"nothing", L"", LinkTarget::Refused, L""},
  };
  for (const auto& c : cases) {
    const LinkTarget target = chooseLinkTarget(c.link, kLog);
    EXPECT_EQ(target.kind, c.kind) << c.name;
    EXPECT_EQ(target.target, c.target) << c.name;
  }
  EXPECT_EQ(chooseLinkTarget(logHref, kLog).folder, L"C:\\Users\\Ann L\u00E9e\\AppData\\Local\\Temp");
}

TEST(LinkOpening, TheDesktopShellOpensWhatIsAllowedAndOneDebugLineSaysWhyNothingWas) {
  const struct {
    const char* name;
    std::wstring link;
    ShellAnswer answer;
    size_t opened;
    const char* line;
  } cases[] = {
      {"opened", L"https://www.ostrivel.example/", {ShellAnswer::Opened, {}}, 1, nullptr},
      {"no shell as the system account",
       L"https://www.ostrivel.example/",
       {ShellAnswer::NoShell, "no desktop window: 0x00000001"},
       0,
       "Debug: The link \"https://www.ostrivel.example/\" was not opened: no desktop shell of a signed-in user "
       "answers here (no desktop window: 0x00000001), so nothing was launched."},
      {"refused before any shell is asked",
       L"file:///C:/Windows/System32/cmd.exe",
       {ShellAnswer::Opened, {}},
       0,
       "Debug: The link \"file:///C:/Windows/System32/cmd.exe\" was not opened: only web pages (https:) and the log "
       "file are opened."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    lines.clear();
    FakeShell shell;
    shell.answer = c.answer;
    openLink(c.link, kLog, shell, &recordLine);
    EXPECT_EQ(shell.opened.size(), c.opened);
    EXPECT_EQ(lines, c.line ? std::vector<std::string>{c.line} : std::vector<std::string>{});
  }
}

}  // namespace
