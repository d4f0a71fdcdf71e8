// What the console program asks of the machine about itself: the names it reports, whether it may do its
// work, and the system's texts for error codes. The system calls are in machine_facts_win32.cpp.
#pragma once

#include <cstdint>
#include <string>

struct MachineFacts {
  std::wstring computer;           // the machine's host name (its NetBIOS name where it has no other)
  std::wstring account;            // "DOMAIN\name" of the account the program runs as, or its SID
  bool elevated = false;           // an administrator's full rights, or the system account
  bool inServicesSession = false;  // session 0, where services and the programs they start run
};

MachineFacts machineFacts();

// The file version of a DLL ("1.2.0.0"), empty when it has none. The system's version library is bound
// from the system folder at run time, never from the program's folder.
std::string fileVersionOf(const std::wstring& path);

// True when the process has loaded the system's window library (user32.dll): Windows then no longer tells
// the console's control handlers of a log-off or a shut-down. The console program loads it nowhere; a
// decryption library may.
bool windowLibraryLoaded();

// The system's text for an error code, in UTF-8, without its line end and full stop.
std::string systemMessageUtf8(uint32_t code);
