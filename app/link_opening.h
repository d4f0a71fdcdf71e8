// Opening a link the user clicked in the window. The program runs elevated, so a browser or editor started
// by it would run elevated too, with a handler that the user's own registry chose; and the page must not be
// able to start anything else. So only two kinds of target are opened: web pages (https:) and files the
// program itself names (the log file), and they are opened by the desktop's own shell, which runs as the
// signed-in user with that user's ordinary rights. Without such a shell (the system account, another
// session) nothing is launched. The shell's side is behind DesktopShell (desktop_shell_win32.cpp).
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ShellAnswer {
  enum Kind {
    Opened,   // the desktop's shell took the request
    NoShell,  // no desktop shell of a signed-in user answers here; nothing was launched
    Failed,   // the shell was found but the request failed; nothing was launched
  };
  Kind kind = NoShell;
  std::string reason;  // for NoShell and Failed: what answered, in a few words
};

class DesktopShell {
 public:
  virtual ~DesktopShell() = default;
  // Asks the desktop's shell to open target (an address or a full file path) with its default verb; folder
  // is the file's folder, empty for an address.
  virtual ShellAnswer open(const std::wstring& target, const std::wstring& folder) = 0;
};

// The shell of the desktop this process runs on.
DesktopShell& systemDesktopShell();

// A file the program offers as a link: how the page names it (the path as shown, which the page's link
// carries as "file:///<path>", in quotes) and the file itself.
struct LinkedFile {
  std::wstring shown;
  std::wstring path;
};

// What a clicked link leads to.
struct LinkTarget {
  enum Kind { WebPage, File, Refused };
  Kind kind = Refused;
  std::wstring target;  // the address, or the file's own path
  std::wstring folder;  // of a file
};

// Decides from the page's link text alone: an https: address of printable characters without spaces,
// quotes or backslashes, or one of the files the program named (by its shown path, with or without the
// page's quotes and "file:///"). Everything else is refused.
LinkTarget chooseLinkTarget(std::wstring_view link, const std::vector<LinkedFile>& files);

// Opens the link through the shell, or logs at Debug (through log) the one line that says why nothing was
// launched.
void openLink(std::wstring_view link, const std::vector<LinkedFile>& files, DesktopShell& shell,
              void (*log)(std::string_view message, int level));
