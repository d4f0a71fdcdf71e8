// The native methods of the main window, as the page calls them on `frame`. The host forwards each call to
// whatever the application connected; the calls arrive on the UI thread.
#pragma once

#include <string>

class frame_methods {
 public:
  virtual ~frame_methods() = default;
  virtual void DecryptWrapper() = 0;
  virtual void StopDecryption() = 0;
  // A link the user clicked (the page's href, or an address of its own); whoever is connected decides
  // whether and how it is opened. The program runs elevated, so the page never launches anything itself.
  virtual void OpenLink(const std::wstring& target) = 0;
};
