// The console program's machine-readable texts: the report's lines (JSON Lines, UTF-8) and the one line
// on standard output. Every text in them is UTF-8; what the system or the library handed over that is not
// valid UTF-8 is written with U+FFFD in its place, so every line parses.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/exit_codes.h"
#include "engine/run_events.h"

// The line on standard output is at most this long, so that it survives the few kilobytes of output that
// fleet tools keep (2,048 characters for some).
inline constexpr size_t kOutcomeLineLimit = 1500;

struct LibraryFacts {
  std::string file;         // as the working directory listed it
  std::string family;       // the library's own name for the family it decrypts
  std::string description;  // the library's description of itself
  std::string version;      // its file version ("1.2.0.0"); empty when it carries none
};

// The report's first line.
struct RunStart {
  std::string computer, account;
  std::string tool, toolVersion;
  LibraryFacts library;
  std::vector<std::string> commandLine;  // every argument, the program path first
  std::chrono::system_clock::time_point started;
};

struct RunCounts {
  uint64_t offered = 0;      // files handed to the library
  uint64_t decrypted = 0;    // answered Decrypted
  uint64_t failed = 0;       // answered NoDiskSpace or Failed, or whose status could not be read
  uint64_t notRemoved = 0;   // decrypted, but the system refused to remove the encrypted copy
  uint64_t notLocal = 0;     // passed over as not local: their data is not on this computer
  uint64_t notSearched = 0;  // folders and drives not searched, one report line each
};

// What the last line of the report and the line on standard output say.
struct RunEnd {
  ExitCode code = ExitCode::Other;
  std::string stoppedBy;  // the stop's cause word when the run was stopped before its end
  RunCounts counts;
  std::string outcome;  // the outcome line, the library's refusal, or why nothing ran
  std::string logPath, reportPath;
  std::string reportError;  // why the report is incomplete, when a write failed
  std::chrono::system_clock::time_point started, ended;
  std::string computer, version;
};

// "2026-12-07T06:21:25Z"
std::string utcStamp(std::chrono::system_clock::time_point when);

std::string startLine(const RunStart& start);
// Only the answers Decrypted, NoDiskSpace and Failed have a line; errorText is the system's text for a
// refused removal.
std::string fileLine(const FileAnswer& answer, std::string_view errorText);
std::string notSearchedLine(const NotSearched& what, std::string_view errorText);
std::string endLine(const RunEnd& end);
// The same facts as endLine, shortened where it must be to stay within kOutcomeLineLimit: the longest
// texts are cut (at a character, with "..." after them) until the line fits.
std::string outcomeLine(const RunEnd& end);

// The words the lines use.
const char* answerWord(int32_t answer);  // "Decrypted", "NoDiskSpace", "Failed", "NotEncrypted"
const char* copyWord(EncryptedCopy copy);
const char* notSearchedWord(NotSearchedReason reason);
