#include <filesystem>
#include <fstream>

#include "InProcessOps.h"
#include "core/journal/JournalStore.h"
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
  const auto journal = openJournalStore((dir / "journal.sqlite").string(), JournalAccess::Append).store;
  state->setJournal(journal.get());
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
  ASSERT_EQ(journal->query({}, records), "");
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

TEST_F(JournalFrame, ARecordThatCannotBeStoredIsSaidEachTimeAndFailsTheOperationOnlyWhenStrict) {
  start();
  std::ofstream(dir / "notes.sqlite") << "not a database";
  const auto journal = openJournalStore((dir / "notes.sqlite").string(), JournalAccess::Append).store;
  state->setJournal(journal.get());
  const std::string lossStart = msg(TextId::JournalNotWritten, "").substr(0, 40);
  const std::string strictStart = msg(TextId::JournalNotWrittenStrict, "").substr(0, 40);
  for (const bool strict : {false, true}) {
    SCOPED_TRACE(strict);
    state->setJournalStrict(strict);
    int said = 0;
    for (int i = 0; i < 3; ++i) {
      host.log.clear();
      const OperationOutcome outcome = run(DeviceOperation::Statistics);
      EXPECT_EQ(outcome.finalState, strict ? OperationState::Failed : OperationState::Passed);
      EXPECT_NE(outcome.journalLoss.find("notes.sqlite"), std::string::npos) << outcome.journalLoss;
      for (const std::string& line : host.log) said += line.rfind(strict ? strictStart : lossStart, 0) == 0;
    }
    EXPECT_EQ(said, 3);
  }
}

}  // namespace
}  // namespace kt90::testing
