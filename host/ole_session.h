// OLE initialised on the calling thread for the life of the object: the entry point's engine-wide set-up.
#pragma once

#include <windows.h>
#include <ole2.h>

class ole_session {
 public:
  ole_session() { OleInitialize(nullptr); }
  ~ole_session() { OleUninitialize(); }
  ole_session(const ole_session&) = delete;
  ole_session& operator=(const ole_session&) = delete;
};
