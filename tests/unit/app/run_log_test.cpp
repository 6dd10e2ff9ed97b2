#include "app/run_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "tests/sim/machine.h"

namespace sanivo {
namespace {

const std::string kLog = "Z:\\sdilene\\sanivo.csv";
const std::string kFirstLines = "\xEF\xBB\xBF" + std::string(kRunLogHeader) + "\r\n";

TRunRecord Record(const std::string& computer) {
  return {"2026-12-08 09:30:00",
          computer,
          "user",
          "5.1.2600",
          "afinita",
          "opraveno",
          "\xDA\x73\x70\xEC\x9A\x6E\xEC dokon\xE8\x65no",
          "",
          "",
          "1.0.0.0"};  // "Úspěšně dokončeno" in 1250
}

TEST(RunLogTest, FieldsAreQuotedOnlyWhenTheyMustBe) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"C:\\zal\\20261208.bak", "C:\\zal\\20261208.bak"},
      {"a;b", "\"a;b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"\"", "\"\"\"\""},
      {"one\r\ntwo", "\"one\r\ntwo\""},
      {"line\n", "\"line\n\""},
      {"cr\r", "\"cr\r\""},
  };
  for (const auto& [text, field] : cases) EXPECT_EQ(CsvField(text), field) << text;
}

TEST(RunLogTest, ThisMachineGivesTimeNamesAndWindows) {
  sim::Machine machine;
  machine.SetLocalDate(2027, 1, 5);
  machine.SetLocalTimeOfDay(7, 4, 9, 999);
  machine.SetComputerName("UCEBNA-07");
  machine.SetUserName("SYSTEM");
  machine.SetVersion(2, 5, 1, "Service Pack 3");
  const TRunRecord record = RecordOfThisMachine();
  EXPECT_EQ(record.Time, "2027-01-05 07:04:09");
  EXPECT_EQ(record.Computer, "UCEBNA-07");
  EXPECT_EQ(record.User, "SYSTEM");
  EXPECT_EQ(record.Windows, "Windows XP 5.1.2600 Service Pack 3");
  // A spreadsheet must not take the version for a date, whatever follows the product name.
  machine.SetVersion(2, 6, 1, "Service Pack 1");
  machine.SetWow64(true);
  EXPECT_EQ(RecordOfThisMachine().Windows, "Windows 7 x64 6.1.2600 Service Pack 1");
  machine.SetVersion(2, 6, 2);
  machine.Fail("IsWow64Process", "", os::kErrorProcNotFound);
  EXPECT_EQ(RecordOfThisMachine().Windows, "Windows 6.2.2600");
}

class RunLogAppendTest : public ::testing::Test {
 protected:
  RunLogAppendTest() { machine.AddDirectory("Z:\\sdilene"); }
  sim::Machine machine;
};

TEST_F(RunLogAppendTest, NewLogGetsMarkAndHeaderOnceThenRecordsFollow) {
  ASSERT_TRUE(AppendRunRecord(kLog, Record("PC1")));
  ASSERT_TRUE(AppendRunRecord(kLog, Record("PC2")));
  EXPECT_EQ(machine.FileBytes(kLog),
            kFirstLines + FormatRunRecord(Record("PC1")) + FormatRunRecord(Record("PC2")));
  // A log that another writer created and left empty is new all the same.
  machine.AddFile(kLog);
  ASSERT_TRUE(AppendRunRecord(kLog, Record("PC3")));
  EXPECT_EQ(machine.FileBytes(kLog), kFirstLines + FormatRunRecord(Record("PC3")));
  EXPECT_EQ(machine.TotalSleep(), 0u);
  EXPECT_EQ(machine.OpenHandleCount(), 0);
  EXPECT_EQ(machine.CallCount("UnlockFileEx"), machine.CallCount("LockFileEx"));
}

// A record goes only into a log of ours, a later release's with more fields included, and on a
// line of its own; any other file stays byte for byte.
TEST_F(RunLogAppendTest, OnlyOurLogIsAppendedToAndEachRecordStartsALine) {
  const std::string record = FormatRunRecord(Record("PC1"));
  const std::string bom = "\xEF\xBB\xBF";
  const std::string earlier = bom + std::string(kRunLogFirstFields) + "\r\n";
  const std::string later = bom + std::string(kRunLogHeader) + ";dalsi\r\n";
  const struct {
    std::string before;
    bool appended;
    std::string after;
  } cases[] = {
      {kFirstLines + "a;b\r\n", true, kFirstLines + "a;b\r\n" + record},
      {earlier, true, earlier + record},
      {later, true, later + record},
      {kFirstLines + "half a rec", true, kFirstLines + "half a rec\r\n" + record},
      {"MZ\x90\0program", false, {}},
      {kFirstLines.substr(3), false, {}},
      {bom + std::string(kRunLogFirstFields) + "x\r\n", false, {}},
      {bom + "cas;pocitac\r\n", false, {}},
      {"\xEF", false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    machine.AddFile(kLog, c.before);
    EXPECT_EQ(AppendRunRecord(kLog, Record("PC1")), c.appended);
    EXPECT_EQ(machine.FileBytes(kLog), c.appended ? c.after : c.before);
  }
}

// 49 writers on other machines hold the log one after another; each appends its record while
// the program waits. The program's record comes last, whole, at the end as it then was.
TEST_F(RunLogAppendTest, FiftyWritersEachAppendOneWholeRecord) {
  machine.AddFile(kLog, kFirstLines);
  int next = 1;
  os::Handle holder = machine.HoldOpenElsewhere(kLog);
  machine.HoldLock(holder, 0, 1);
  std::string expected = kFirstLines;
  std::vector<std::uint32_t> pauses;
  machine.OnSleep([&](std::uint32_t milliseconds) {
    pauses.push_back(milliseconds);
    if (next > 49) return;
    const std::string line = FormatRunRecord(Record("PC" + std::to_string(next)));
    machine.AppendHeld(holder, line);
    expected += line;
    machine.Release(holder);
    if (++next > 49) return;
    holder = machine.HoldOpenElsewhere(kLog);
    machine.HoldLock(holder, 7, 3);  // any overlap keeps the program out
  });

  ASSERT_TRUE(AppendRunRecord(kLog, Record("PC0")));

  EXPECT_EQ(machine.FileBytes(kLog), expected + FormatRunRecord(Record("PC0")));
  EXPECT_EQ(pauses.size(), 49u);
  EXPECT_GT(std::set<std::uint32_t>(pauses.begin(), pauses.end()).size(), 10u) << "not random";
  for (std::uint32_t pause : pauses) EXPECT_LE(pause, 1000u);
  EXPECT_EQ(machine.OpenHandleCount(), 0);
}

// A writer, and a reader too: it would see a record half-written.
TEST_F(RunLogAppendTest, LogHeldOpenOnThisMachineIsWaitedFor) {
  const std::pair<std::uint32_t, std::uint32_t> holders[] = {
      {os::kGenericWrite, 0}, {os::kGenericRead, os::kFileShareRead | os::kFileShareWrite}};
  for (const auto& [access, share] : holders) {
    machine.AddFile(kLog, kFirstLines);
    os::Handle holder = machine.HoldOpen(kLog, access, share);
    const int sleeps = machine.CallCount("Sleep");
    machine.OnSleep([&](std::uint32_t) {
      if (holder != 0) machine.Release(holder);
      holder = 0;
    });
    ASSERT_TRUE(AppendRunRecord(kLog, Record("PC1")));
    EXPECT_EQ(machine.FileBytes(kLog), kFirstLines + FormatRunRecord(Record("PC1")));
    EXPECT_EQ(machine.CallCount("Sleep") - sleeps, 1);
  }
}

TEST_F(RunLogAppendTest, GivesUpAfterThirtySecondsOfWaiting) {
  machine.AddFile(kLog, kFirstLines);
  machine.HoldLock(machine.HoldOpenElsewhere(kLog), 0, 0xFFFFFFFFu);
  EXPECT_FALSE(AppendRunRecord(kLog, Record("PC1")));
  EXPECT_EQ(machine.TotalSleep(), kRunLogPatienceMs);
  EXPECT_LT(machine.CallCount("Sleep"), 100) << "the back-off does not grow";
  EXPECT_EQ(machine.FileBytes(kLog), kFirstLines);
  EXPECT_EQ(machine.OpenHandleCount(), 0);
}

TEST_F(RunLogAppendTest, OtherFailuresAreNotWaitedForAndLeaveNothingLockedOrOpen) {
  struct Case {
    sim::FailableCall call;
    std::uint32_t error;
  };
  const Case cases[] = {
      {"CreateFileA", os::kErrorAccessDenied},     {"LockFileEx", os::kErrorInvalidFunction},
      {"SetFilePointer", os::kErrorInvalidHandle}, {"WriteFile", os::kErrorWriteFault},
      {"FlushFileBuffers", os::kErrorWriteFault},
  };
  machine.AddFile(kLog, kFirstLines);
  for (const Case& failure : cases) {
    machine.Fail(failure.call, kLog, failure.error, 1);
    EXPECT_FALSE(AppendRunRecord(kLog, Record("PC1"))) << failure.call.Name();
    EXPECT_EQ(machine.TotalSleep(), 0u) << failure.call.Name();
    EXPECT_EQ(machine.OpenHandleCount(), 0) << failure.call.Name();
    EXPECT_EQ(machine.FileBytes(kLog), kFirstLines) << failure.call.Name();  // no part record
  }
  // A write that puts fewer bytes than asked is cut back too.
  machine.CutNextWriteShort(kLog, 10);
  EXPECT_FALSE(AppendRunRecord(kLog, Record("PC1")));
  EXPECT_EQ(machine.FileBytes(kLog), kFirstLines);
  // Nothing was left locked: HoldLock refuses a range that is.
  machine.HoldLock(machine.HoldOpenElsewhere(kLog), 0, 0xFFFFFFFFu);
  // A folder that is not there is no reason to wait either.
  EXPECT_FALSE(AppendRunRecord("Z:\\chybi\\sanivo.csv", Record("PC1")));
  EXPECT_EQ(machine.TotalSleep(), 0u);
}

}  // namespace
}  // namespace sanivo
