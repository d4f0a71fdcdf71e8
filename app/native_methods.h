// What the page's calls of frame.DecryptWrapper() and frame.StopDecryption() do: start the run without
// command-line settings, and ask it to stop.
#pragma once

#include "host/frame_methods.h"

struct Decryptor;

class NativeMethods : public frame_methods {
 public:
  explicit NativeMethods(Decryptor& decryptor) : decryptor_(decryptor) {}
  void DecryptWrapper() override;
  void StopDecryption() override;

 private:
  Decryptor& decryptor_;
};
