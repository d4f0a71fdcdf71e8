#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "console/report_lines.h"

namespace {

using json = nlohmann::json;
using namespace std::chrono;

const system_clock::time_point kStart = sys_days{2026y / 12 / 7} + 6h + 21min + 25s + 123ms;

RunEnd anEnd() {
  RunEnd end;
  end.code = ExitCode::SomeFailed;
  end.counts = {12, 9, 2, 1, 0, 1};
  end.outcome = "The recovery process has failed for some files. Only 9 from 11 files were decrypted.";
  end.logPath = "C:\\Windows\\TEMP\\OstrivelLog.txt";
  end.reportPath = "\\\\srv\\reports\\PC-1.jsonl";
  end.started = kStart;
  end.ended = kStart + 90s;
  end.computer = "PC-1";
  end.version = "1.0.0";
  return end;
}

TEST(ReportLines, TheEndSaysEverythingTheFleetToolReads) {
  const json line = json::parse(outcomeLine(anEnd()));
  EXPECT_EQ(line["exitCode"], 6);
  EXPECT_EQ(line["result"], "some-files-failed");
  EXPECT_EQ(line["offered"], 12);
  EXPECT_EQ(line["decrypted"], 9);
  EXPECT_EQ(line["failed"], 2);
  EXPECT_EQ(line["notRemoved"], 1);
  EXPECT_EQ(line["notLocal"], 0);
  EXPECT_EQ(line["notSearched"], 1);
  EXPECT_EQ(line["outcome"], anEnd().outcome);
  EXPECT_EQ(line["log"], anEnd().logPath);
  EXPECT_EQ(line["report"], anEnd().reportPath);
  EXPECT_EQ(line["started"], "2026-12-07T06:21:25Z");
  EXPECT_EQ(line["ended"], "2026-12-07T06:22:55Z");
  EXPECT_EQ(line["computer"], "PC-1");
  EXPECT_EQ(line["version"], "1.0.0");
  EXPECT_FALSE(line.contains("stoppedBy"));
  EXPECT_FALSE(line.contains("type"));

  const std::string last = endLine(anEnd());
  EXPECT_EQ(last.rfind(R"({"type":"end","exitCode":6,)", 0), 0u) << "the report's lines say first what they are";
  json parsed = json::parse(last);
  parsed.erase("type");
  EXPECT_EQ(parsed, line) << "and then what standard output says";
}

TEST(ReportLines, TheOutcomeLineStaysWithinItsLimitWhateverTheTexts) {
  RunEnd end = anEnd();
  end.stoppedBy = "time-limit";
  end.outcome = std::string(3000, 'x') + "\xC3\xA9";            // a library's refusal can be of any length
  end.reportPath = "\\\\srv\\" + std::string(2000, 'r');        // so can a path on a share
  for (int i = 0; i < 400; ++i) end.logPath += "\xE2\x82\xAC";  // three bytes a character
  end.reportError = std::string(500, '\x01');                   // six bytes each once escaped
  const std::string line = outcomeLine(end);
  EXPECT_LE(line.size(), kOutcomeLineLimit);
  const json parsed = json::parse(line);  // whole characters only, or this throws
  EXPECT_EQ(parsed["exitCode"], 6);
  EXPECT_EQ(parsed["stoppedBy"], "time-limit");
  EXPECT_EQ(parsed["decrypted"], 9) << "counts are never cut";
  EXPECT_EQ(parsed["outcome"].get<std::string>().substr(0, 10), std::string(10, 'x'));
  EXPECT_GT(endLine(end).size(), kOutcomeLineLimit) << "the report's own last line keeps everything";
}

TEST(ReportLines, TextsThatAreNotUtf8AreReplacedSoEveryLineParses) {
  RunEnd end = anEnd();
  end.outcome =
      "Schl\xFC"
      "ssel fehlt";  // a library that wrote its code page, not UTF-8
  const json parsed = json::parse(outcomeLine(end));
  EXPECT_EQ(parsed["outcome"], "Schl\xEF\xBF\xBDssel fehlt");

  const FileAnswer lone{L"D:\\v\\a\xD800.kyl", Decrypted, EncryptedCopy::Removed, 0};  // a lone surrogate
  EXPECT_EQ(json::parse(fileLine(lone, ""))["path"], "D:\\v\\a\xEF\xBF\xBD.kyl");
}

TEST(ReportLines, FileAndFolderLines) {
  const json removed = json::parse(fileLine({L"D:\\v\\a.kyl", Decrypted, EncryptedCopy::Removed, 0}, ""));
  EXPECT_EQ(removed,
            json::parse(R"({"type":"file","path":"D:\\v\\a.kyl","answer":"Decrypted","encryptedCopy":"removed"})"));
  const json refused =
      json::parse(fileLine({L"D:\\v\\b.kyl", Decrypted, EncryptedCopy::RemovalRefused, 32}, "In use."));
  EXPECT_EQ(refused["encryptedCopy"], "removal-refused");
  EXPECT_EQ(refused["error"], 32);
  EXPECT_EQ(refused["errorText"], "In use.");
  EXPECT_EQ(json::parse(fileLine({L"x", Decrypted, EncryptedCopy::KeptAsBackup, 0}, ""))["encryptedCopy"],
            "kept-as-backup");
  const json failed = json::parse(fileLine({L"x", Failed, EncryptedCopy::Untouched, 0}, ""));
  EXPECT_EQ(failed["answer"], "Failed");
  EXPECT_EQ(failed["encryptedCopy"], "kept");
  EXPECT_EQ(json::parse(fileLine({L"x", NoDiskSpace, EncryptedCopy::Untouched, 0}, ""))["answer"], "NoDiskSpace");

  const json drive =
      json::parse(notSearchedLine({L"\\\\?\\F:\\", NotSearchedReason::CouldNotOpen, 5, true}, "Denied."));
  EXPECT_EQ(drive, json::parse(R"({"type":"not-searched","path":"\\\\?\\F:\\","drive":true,"reason":"could-not-open",
                                   "error":5,"errorText":"Denied."})"));
  EXPECT_EQ(json::parse(notSearchedLine({L"D:\\v\\mail", NotSearchedReason::ListingBroken, 1117, false}, ""))["reason"],
            "listing-broken");
}

TEST(ReportLines, TheFirstLineNamesTheMachineTheAccountTheToolAndTheLibrary) {
  RunStart start;
  start.computer = "PC-1";
  start.account = "NT AUTHORITY\\SYSTEM";
  start.tool = "recovery-run";
  start.toolVersion = "1.0.0";
  start.library = {"Keyloom.dll", "Test family", "Test library", "2.1.0.0"};
  start.commandLine = {"C:\\tools\\recovery-run.exe", "start", "-full-scan"};
  start.started = kStart;
  const json line = json::parse(startLine(start));
  EXPECT_EQ(line["type"], "start");
  EXPECT_EQ(line["computer"], "PC-1");
  EXPECT_EQ(line["account"], "NT AUTHORITY\\SYSTEM");
  EXPECT_EQ(line["tool"], json::parse(R"({"name":"recovery-run","version":"1.0.0"})"));
  EXPECT_EQ(line["library"]["file"], "Keyloom.dll");
  EXPECT_EQ(line["library"]["family"], "Test family");
  EXPECT_EQ(line["library"]["version"], "2.1.0.0");
  EXPECT_EQ(line["commandLine"], json::parse(R"(["C:\\tools\\recovery-run.exe","start","-full-scan"])"));
  EXPECT_EQ(line["started"], "2026-12-07T06:21:25Z");
}

}  // namespace
