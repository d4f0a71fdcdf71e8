// The native methods of the main window, as the page calls them on `frame`. The host forwards each call to
// whatever the application connected; the calls arrive on the UI thread.
#pragma once

class frame_methods {
 public:
  virtual ~frame_methods() = default;
  virtual void DecryptWrapper() = 0;
  virtual void StopDecryption() = 0;
};
