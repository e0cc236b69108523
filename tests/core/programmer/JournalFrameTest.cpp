#include <filesystem>
#include <fstream>

#include "InProcessOps.h"
#include "core/journal/JournalFile.h"
#include "support/TempDir.h"

namespace kt90::testing {
namespace {

class JournalFrame : public InProcessOps {
 protected:
  void SetUp() override {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir = test::uniqueTempDir("journal_frame");
};

TEST_F(JournalFrame, EveryStartedOperationLeavesItsRecord) {
  start(withVersion("KT90DB V5.2"));
  JournalFile journal((dir / "journal.sqlite").string());
  state->setJournal(&journal);
  fillProgram(*state, 5);
  setRollingCode(state->image(), 3);
  struct Case {
    DeviceOperation op;
    bool passed;
    bool namesProgram;
    bool rollingCode;
    bool counters;
  };
  const Case cases[] = {
      {DeviceOperation::Download, true, true, true, false},
      {DeviceOperation::Statistics, true, false, false, true},
      {DeviceOperation::QueryUid, true, false, false, false},
      {DeviceOperation::Upload, true, true, false, false},
  };
  for (const Case& c : cases) run(c.op);
  emulator().keepChip = true;
  emulator().chip().present = false;
  run(DeviceOperation::Download);

  std::vector<JournalRecord> records;
  ASSERT_EQ(readJournal(journal.path(), {}, records), "");
  ASSERT_EQ(records.size(), std::size(cases) + 1);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const JournalRecord& r = records[i];
    SCOPED_TRACE(r.operation);
    EXPECT_EQ(r.operation, deviceOperationName(c.op));
    EXPECT_EQ(r.port, harness.port());
    EXPECT_EQ(r.passed, c.passed);
    EXPECT_EQ(r.programmerUid.size(), 24u);
    EXPECT_EQ(!r.model.empty() && r.fileChecksum.has_value(), c.namesProgram);
    EXPECT_EQ(r.rollingCode.size(), c.rollingCode ? 8u : 0u);
    EXPECT_EQ(r.countersTotal.has_value(), c.counters);
    EXPECT_FALSE(r.host.empty());
    EXPECT_LE(records.front().time, r.time);
  }
  EXPECT_EQ(records[0].firmwareVersion, "KT90DB V5.2");
  EXPECT_EQ(records[0].log.front() + "\r\n", msg(TextId::FirmwareVersionRead, "KT90DB V5.2"));
  const JournalRecord& failed = records.back();
  EXPECT_FALSE(failed.passed);
  EXPECT_EQ(failed.resultCode, 1);
  EXPECT_EQ(failed.log.back(), "Err.1, 放置错误，没有放置芯片，或者芯片损坏。");
}

TEST_F(JournalFrame, AJournalThatCannotBeWrittenCostsOnlyTheRecordsAndSaysSoOnce) {
  start();
  std::ofstream(dir / "plain-file") << "x";
  JournalFile journal((dir / "plain-file" / "journal.sqlite").string());
  state->setJournal(&journal);
  const std::string lossStart = msg(TextId::JournalNotWritten, "").substr(0, 40);
  int said = 0;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(run(DeviceOperation::Statistics).finalState, OperationState::Passed);
    for (const std::string& line : host.log) said += line.rfind(lossStart, 0) == 0;
  }
  EXPECT_EQ(said, 1);
}

}  // namespace
}  // namespace kt90::testing
