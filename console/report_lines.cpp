#include "console/report_lines.h"

#include <fmt/format.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "text/encodings.h"

namespace {

using Json = nlohmann::ordered_json;

std::string dump(const Json& object) { return object.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string utf8(const std::wstring& wide) { return text::utf8_from_wide(wide); }

Json endObject(const RunEnd& end) {
  Json object;
  object["exitCode"] = static_cast<int>(end.code);
  object["result"] = exitWord(end.code);
  if (!end.stoppedBy.empty()) object["stoppedBy"] = end.stoppedBy;
  object["offered"] = end.counts.offered;
  object["decrypted"] = end.counts.decrypted;
  object["failed"] = end.counts.failed;
  object["notRemoved"] = end.counts.notRemoved;
  object["notLocal"] = end.counts.notLocal;
  object["notSearched"] = end.counts.notSearched;
  object["outcome"] = end.outcome;
  object["log"] = end.logPath;
  object["report"] = end.reportPath;
  if (!end.reportError.empty()) object["reportError"] = end.reportError;
  object["started"] = utcStamp(end.started);
  object["ended"] = utcStamp(end.ended);
  object["computer"] = end.computer;
  object["version"] = end.version;
  return object;
}

// Cuts a UTF-8 text to at most size bytes without splitting a character.
std::string cutUtf8(const std::string& text, size_t size) {
  if (text.size() <= size) return text;
  size_t end = size;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace

std::string utcStamp(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  const auto seconds = floor<std::chrono::seconds>(when);
  const auto day = floor<days>(seconds);
  const year_month_day date{day};
  const hh_mm_ss<std::chrono::seconds> time{seconds - day};
  return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}Z", static_cast<int>(date.year()),
                     static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), time.hours().count(),
                     time.minutes().count(), time.seconds().count());
}

const char* answerWord(int32_t answer) {
  switch (answer) {
    case NotEncrypted:
      return "NotEncrypted";
    case Decrypted:
      return "Decrypted";
    case NoDiskSpace:
      return "NoDiskSpace";
    case Failed:
      return "Failed";
    default:
      return "Unknown";
  }
}

const char* copyWord(EncryptedCopy copy) {
  switch (copy) {
    case EncryptedCopy::Untouched:
      return "kept";
    case EncryptedCopy::Removed:
      return "removed";
    case EncryptedCopy::KeptAsBackup:
      return "kept-as-backup";
    case EncryptedCopy::RemovalRefused:
      return "removal-refused";
  }
  return "kept";
}

const char* notSearchedWord(NotSearchedReason reason) {
  switch (reason) {
    case NotSearchedReason::CouldNotOpen:
      return "could-not-open";
    case NotSearchedReason::NoMedium:
      return "no-medium";
    case NotSearchedReason::AccessDenied:
      return "access-denied";
    case NotSearchedReason::ListingBroken:
      return "listing-broken";
    case NotSearchedReason::StatusUnreadable:
      return "status-unreadable";
  }
  return "could-not-open";
}

std::string startLine(const RunStart& start) {
  Json object;
  object["type"] = "start";
  object["computer"] = start.computer;
  object["account"] = start.account;
  object["tool"] = {{"name", start.tool}, {"version", start.toolVersion}};
  object["library"] = {{"file", start.library.file},
                       {"family", start.library.family},
                       {"description", start.library.description},
                       {"version", start.library.version}};
  object["commandLine"] = start.commandLine;
  object["started"] = utcStamp(start.started);
  return dump(object);
}

std::string fileLine(const FileAnswer& answer, std::string_view errorText) {
  Json object;
  object["type"] = "file";
  object["path"] = utf8(answer.path);
  object["answer"] = answerWord(answer.answer);
  object["encryptedCopy"] = copyWord(answer.copy);
  if (answer.copy == EncryptedCopy::RemovalRefused) {
    object["error"] = answer.removalError;
    object["errorText"] = std::string(errorText);
  }
  return dump(object);
}

std::string notSearchedLine(const NotSearched& what, std::string_view errorText) {
  Json object;
  object["type"] = "not-searched";
  object["path"] = utf8(what.path);
  object["drive"] = what.driveRoot;
  object["reason"] = notSearchedWord(what.reason);
  object["error"] = what.error;
  object["errorText"] = std::string(errorText);
  return dump(object);
}

std::string endLine(const RunEnd& end) {
  Json object;
  object["type"] = "end";
  const Json facts = endObject(end);
  for (const auto& [key, value] : facts.items()) object[key] = value;
  return dump(object);
}

std::string outcomeLine(const RunEnd& given) {
  RunEnd end = given;
  std::string line = dump(endObject(end));
  // Only the texts that can grow without bound are cut; the counts, codes and times always stay whole.
  std::string* const cuttable[] = {&end.outcome, &end.logPath, &end.reportPath, &end.reportError, &end.computer};
  while (line.size() > kOutcomeLineLimit) {
    std::string* longest =
        *std::max_element(std::begin(cuttable), std::end(cuttable),
                          [](const std::string* a, const std::string* b) { return a->size() < b->size(); });
    if (longest->empty()) break;
    // A quarter off each time, and a short text goes whole, so every round makes the line shorter.
    *longest = longest->size() > 16 ? cutUtf8(*longest, longest->size() * 3 / 4) + "..." : std::string();
    line = dump(endObject(end));
  }
  return line;
}
