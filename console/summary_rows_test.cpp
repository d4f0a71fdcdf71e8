#include <gtest/gtest.h>

#include "console/summary_rows.h"

namespace {

const std::string kStart =
    R"({"type":"start","computer":"PC-1","account":"NT AUTHORITY\\SYSTEM","started":"2026-12-07T06:00:00Z"})";
const std::string kDecrypted = R"({"type":"file","path":"D:\\a","answer":"Decrypted","encryptedCopy":"removed"})";
const std::string kRefused =
    R"({"type":"file","path":"D:\\b","answer":"Decrypted","encryptedCopy":"removal-refused","error":32})";
const std::string kFailed = R"({"type":"file","path":"D:\\c","answer":"Failed","encryptedCopy":"kept"})";
const std::string kEnd =
    R"({"type":"end","exitCode":6,"result":"some-files-failed","offered":40,"decrypted":2,"failed":1,"notRemoved":1,)"
    R"("notLocal":0,"notSearched":0,"outcome":"Only 2 from 3","ended":"2026-12-07T06:05:00Z"})";

std::optional<MachineRow> read(const std::string& text, size_t piece = 7) {
  ReportReader reader("r.jsonl");
  for (size_t i = 0; i < text.size(); i += piece) {
    if (!reader.feed(std::string_view(text).substr(i, piece))) break;
  }
  return reader.row();
}

TEST(SummaryRows, AReportThatEndedIsReadFromItsLastLine) {
  const auto row = read(kStart + "\n" + kDecrypted + "\n" + kEnd + "\n");
  ASSERT_TRUE(row);
  EXPECT_EQ(row->computer, "PC-1");
  EXPECT_TRUE(row->didEnd);
  EXPECT_EQ(row->exitCode, 6);
  EXPECT_EQ(row->result, "some-files-failed");
  EXPECT_EQ(row->counts.offered, 40u);
  EXPECT_EQ(row->counts.decrypted, 2u);
  EXPECT_EQ(row->started, "2026-12-07T06:00:00Z");
  EXPECT_EQ(row->ended, "2026-12-07T06:05:00Z");
}

TEST(SummaryRows, AReportWithoutItsLastLineDidNotEndAndCountsItsFileLines) {
  // Killed in the middle of a line: the part after the last line feed is not read.
  const std::string killed = kStart + "\n" + kDecrypted + "\n" + kRefused + "\n" + kFailed + "\n" + kEnd.substr(0, 40);
  for (const size_t piece : {size_t{1}, size_t{7}, size_t{100000}}) {
    const auto row = read(killed, piece);
    ASSERT_TRUE(row);
    EXPECT_FALSE(row->didEnd);
    EXPECT_EQ(row->result, "did not end");
    EXPECT_EQ(row->counts.decrypted, 2u);
    EXPECT_EQ(row->counts.failed, 1u);
    EXPECT_EQ(row->counts.notRemoved, 1u);
  }
  // A whole last line that lacks only its line feed was cut before it, too.
  EXPECT_FALSE(read(kStart + "\n" + kEnd)->didEnd);
}

TEST(SummaryRows, WhatIsNotAReportOrNotAReportsLineIsPassedOver) {
  EXPECT_FALSE(read("Computer,Result\n"));
  EXPECT_FALSE(read(R"({"type":"file"})"
                    "\n" +
                    kStart + "\n"));
  EXPECT_FALSE(read(""));
  const std::string noise = kStart + "\n" + "not json\n" + "[1,2]\n" +
                            R"({"type":"end","exitCode":"six"})"
                            "\n" +
                            std::string(ReportReader::kLongestLine + 10, '{') + "\n" + kDecrypted + "\n";
  const auto row = read(noise, 4096);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->counts.decrypted, 1u) << "the line after an overlong one is read again";
  EXPECT_EQ(row->exitCode, -1) << "an end line with a code that is no number";
}

MachineRow machine(std::string computer, std::string started, std::string file, bool ended = true) {
  MachineRow row;
  row.computer = std::move(computer);
  row.started = std::move(started);
  row.file = std::move(file);
  row.didEnd = ended;
  row.exitCode = ended ? 0 : -1;
  row.result = ended ? "success" : "did not end";
  row.ended = ended ? "2026-12-08T00:00:00Z" : "";
  return row;
}

TEST(SummaryRows, EachMachinesNewestReport) {
  const auto rows = newestPerMachine(
      {machine("B", "2026-12-07T06:00:00Z", "b-old"), machine("A", "2026-12-07T06:00:00Z", "a"),
       machine("B", "2026-12-08T06:00:00Z", "b-new", false), machine("B", "2026-12-07T09:00:00Z", "b-mid")});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].file, "a");
  EXPECT_EQ(rows[1].file, "b-new");
}

TEST(SummaryRows, TableAndCsv) {
  MachineRow ended = machine("PC-2", "2026-12-07T06:00:00Z", "pc-2.jsonl");
  ended.counts = {40, 2, 1, 1, 0, 3};
  ended.outcome = "=HYPERLINK(\"http://x\")";  // as a hostile report might say
  MachineRow killed = machine("PC-1\x1b[2J", "2026-12-07T07:00:00Z", "pc-1.jsonl", false);
  killed.counts.decrypted = 5;
  const std::string table = summaryTable({ended, killed});
  EXPECT_EQ(table,
            "Computer  Result       Code  Offered  Decrypted  Failed  Not removed  Not searched  Started               "
            "Ended\n"
            "PC-1?[2J  did not end  -     -        5          0       0            0             2026-12-07T07:00:00Z  "
            "-\n"
            "PC-2      success      0     40       2          1       1            3             2026-12-07T06:00:00Z  "
            "2026-12-08T00:00:00Z\n"
            "2 machines, 1 reports ended, 1 did not end\n");
  const auto csv = summaryCsvLines({ended, killed});
  ASSERT_EQ(csv.size(), 3u);
  EXPECT_EQ(
      csv[0],
      R"("Computer","Result","Code","Offered","Decrypted","Failed","Not removed","Not searched","Started","Ended",)"
      R"("Outcome","Report")");
  EXPECT_EQ(csv[1], R"("PC-1?[2J","did not end","-","-","5","0","0","0","2026-12-07T07:00:00Z","-","","pc-1.jsonl")");
  EXPECT_EQ(csv[2], R"("PC-2","success","0","40","2","1","1","3","2026-12-07T06:00:00Z","2026-12-08T00:00:00Z",)"
                    R"csv("'=HYPERLINK(""http://x"")","pc-2.jsonl")csv");
}

}  // namespace
