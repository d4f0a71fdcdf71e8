// What the page's calls of frame.DecryptWrapper(), frame.StopDecryption() and frame.OpenLink(target) do:
// start the run without command-line settings, ask it to stop, and open a link through the desktop's
// own shell (link_opening.h).
#pragma once

#include "app/link_opening.h"
#include "host/frame_methods.h"

struct Decryptor;

class NativeMethods : public frame_methods {
 public:
  explicit NativeMethods(Decryptor& decryptor, DesktopShell& shell = systemDesktopShell())
      : decryptor_(decryptor), shell_(shell) {}
  void DecryptWrapper() override;
  void StopDecryption() override;
  void OpenLink(const std::wstring& target) override;

 private:
  Decryptor& decryptor_;
  DesktopShell& shell_;
};
