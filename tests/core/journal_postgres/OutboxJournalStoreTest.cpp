#include <gtest/gtest.h>

#include <filesystem>

#include "core/journal/postgres/OutboxJournalStore.h"
#include "support/JournalRecords.h"
#include "support/PostgresServer.h"
#include "support/TempDir.h"

namespace kt90 {
namespace {

JournalRecord record(const std::string& port) {
  JournalRecord r;
  r.time = "2024-05-01T08:00:00.000Z";
  r.host = "station-a";
  r.operation = "download";
  r.port = port;
  r.passed = true;
  r.model = "K1";
  r.log = {"line"};
  return r;
}

class OutboxJournalTest : public test::PostgresSchemaTest {
 protected:
  void SetUp() override {
    test::PostgresSchemaTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    folder = test::uniqueTempDir("outbox");
    std::filesystem::create_directories(folder);
    stationJournal = (folder / "journal.sqlite").string();
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  // The same station with its server away: nothing listens on port 1.
  OutboxJournalStore away() {
    return OutboxJournalStore(std::make_unique<PostgresJournalStore>("postgresql://kt90:pw@127.0.0.1:1/kt90"),
                              stationJournal);
  }
  OutboxJournalStore up() { return OutboxJournalStore(std::make_unique<PostgresJournalStore>(uri), stationJournal); }

  std::filesystem::path folder;
  std::string stationJournal;
};

TEST_F(OutboxJournalTest, RecordsWaitWhileTheServerIsAwayAndArriveOnceInOrder) {
  {
    OutboxJournalStore station = away();
    EXPECT_TRUE(station.append(test::everyFieldSet()).stored());
    for (const char* port : {"A", "B", "C"}) EXPECT_TRUE(station.append(record(port)).stored());
    std::int64_t pending = 0;
    ASSERT_EQ(station.pending(pending), "");
    EXPECT_EQ(pending, 4);
    std::int64_t forwarded = 0;
    EXPECT_NE(station.sync(forwarded), "");
  }
  OutboxJournalStore station = up();
  // The first record reached the server once already, its answer lost on the way back.
  StationOutbox outbox(stationJournal);
  ASSERT_EQ(outbox.open(), "");
  std::vector<StationOutbox::Waiting> waiting;
  ASSERT_EQ(outbox.waiting(waiting), "");
  PostgresJournalStore(uri).forward(waiting[0].record, outbox.origin(), waiting[0].id,
                                    postgres::Clock::now() + std::chrono::seconds(5));

  std::int64_t forwarded = 0;
  ASSERT_EQ(station.sync(forwarded), "");
  EXPECT_EQ(forwarded, 4);
  ASSERT_EQ(station.sync(forwarded), "");
  EXPECT_EQ(forwarded, 0);
  EXPECT_TRUE(station.append(record("D")).stored());
  std::vector<JournalRecord> onServer;
  ASSERT_EQ(station.query({}, onServer, false), "");
  ASSERT_EQ(onServer.size(), 5u);
  // Kept as the station's JSON, then stored on the server: every field as it was.
  JournalRecord whole = test::everyFieldSet();
  whole.id = onServer[0].id;
  EXPECT_EQ(onServer[0], whole);
  EXPECT_EQ(onServer[1].port + onServer[2].port + onServer[3].port + onServer[4].port, "ABCD");
  std::int64_t pending = -1;
  ASSERT_EQ(station.pending(pending), "");
  EXPECT_EQ(pending, 0);
}

TEST_F(OutboxJournalTest, WithoutTheServerOnlySerialsReservedAheadAreHandedOut) {
  SerialSeries series;
  series.model = "K1";
  series.length = 2;
  series.addresses = {0x10, 0x11};
  series.start = 100;
  const SerialBlockOwner owner{"2024-05-01T08:00:00.000Z", "station-a", "A", "UID1", "a.kt90"};
  {
    OutboxJournalStore station = away();
    const SerialReservation none = station.reserveSerials(series, 4, owner);
    EXPECT_FALSE(none.block);
    EXPECT_NE(none.error.find("cannot be reached"), std::string::npos) << none.error;
  }
  {
    OutboxJournalStore station = up();
    const SerialReservation stock = station.reserveStock(series, 10, owner);
    ASSERT_TRUE(stock.block) << stock.error;
    EXPECT_EQ(stock.block->first, 100u);
    // Another station's block on the server starts after the stock.
    EXPECT_EQ(PostgresJournalStore(uri).reserveSerials(series, 1, owner).block->first, 110u);
  }
  OutboxJournalStore station = away();
  const SerialReservation taken = station.reserveSerials(series, 4, owner);
  ASSERT_TRUE(taken.block) << taken.error;
  EXPECT_EQ(taken.block->first, 100u);
  EXPECT_EQ(taken.block->last, 103u);
  EXPECT_FALSE(station.reserveSerials(series, 7, owner).block);
  std::uint64_t left = 0;
  ASSERT_EQ(station.stockLeft(series, left), "");
  EXPECT_EQ(left, 6u);
}

}  // namespace
}  // namespace kt90
