#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <thread>

#include "core/journal/JournalStore.h"
#include "core/journal/SerialArithmetic.h"
#include "support/TempDir.h"

namespace kt90 {
namespace {

namespace fs = std::filesystem;
constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();

SerialSeries series(int length, int step, std::uint64_t start) {
  return SerialSeries{"VK1620", length, std::vector<std::uint16_t>(static_cast<std::size_t>(length), 0x3F0), step, 1,
                      start};
}

TEST(SerialArithmetic, BlocksStayInsideTheSeriesUpToItsLastSerial) {
  struct Case {
    const char* name;
    SerialSeries series;
    SerialPosition at;
    std::uint64_t count;
    std::optional<std::pair<std::uint64_t, std::uint64_t>> block;  // first, last
    SerialPosition after;
    std::optional<std::uint64_t> remaining;  // when refused for lack of serials
  };
  const Case cases[] = {
      {"one byte, step 2", series(1, 2, 250), {250, false}, 3, {{250, 254}}, {0, true}, {}},
      {"one byte, the last serial", series(1, 1, 0), {255, false}, 1, {{255, 255}}, {0, true}, {}},
      {"one byte, one too many", series(1, 1, 0), {254, false}, 3, {}, {254, false}, 2},
      {"two bytes, continues", series(2, 1, 0x1234), {0x1238, false}, 4, {{0x1238, 0x123B}}, {0x123C, false}, {}},
      {"used up", series(2, 1, 0), {0, true}, 1, {}, {0, true}, 0},
      {"eight bytes to the top", series(8, 1, 0), {kMost - 2, false}, 3, {{kMost - 2, kMost}}, {0, true}, {}},
      {"eight bytes past the top", series(8, 3, 0), {kMost - 5, false}, 3, {}, {kMost - 5, false}, 2},
      {"eight bytes, fresh", series(8, 1, 0), {0, false}, kMost, {{0, kMost - 1}}, {kMost, false}, {}},
      {"step 0", series(2, 0, 5), {5, false}, 1, {}, {5, false}, {}},
      {"nine bytes", series(9, 1, 0), {0, false}, 1, {}, {0, false}, {}},
      {"no serial asked", series(2, 1, 0), {0, false}, 0, {}, {0, false}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SerialPlan plan = planSerialBlock(c.series, c.at, c.count);
    ASSERT_EQ(plan.reservation.block.has_value(), c.block.has_value()) << plan.reservation.error;
    if (c.block) {
      EXPECT_EQ(plan.reservation.block->first, c.block->first);
      EXPECT_EQ(plan.reservation.block->last, c.block->second);
      EXPECT_EQ(plan.reservation.error, "");
    } else {
      EXPECT_NE(plan.reservation.error, "");
    }
    EXPECT_EQ(plan.after.next, c.after.next);
    EXPECT_EQ(plan.after.exhausted, c.after.exhausted);
    EXPECT_EQ(plan.reservation.remaining, c.remaining);
  }
  EXPECT_EQ(serialsLeft(series(8, 1, 0), 0, false), kMost);  // one more than 64 bits count
  EXPECT_NE(seriesProblem(series(2, 0, 0)).find("step"), std::string::npos);
}

class SerialLedger : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }
  std::unique_ptr<JournalStore> open() { return openJournalStore(path, JournalAccess::Append).store; }

  fs::path dir = test::uniqueTempDir("ledger");
  std::string path = (dir / "journal.sqlite").string();
};

// Processes on one computer share the file: each thread has its own store, so its own
// connection, as a process would.
TEST_F(SerialLedger, ConnectionsReservingAtOnceGetDisjointBlocks) {
  constexpr int kConnections = 8;
  constexpr int kBlocksEach = 6;
  constexpr std::uint64_t kSize = 5;
  const SerialSeries shared = series(2, 2, 100);
  std::vector<std::thread> threads;
  std::vector<std::string> errors(kConnections);
  for (int t = 0; t < kConnections; ++t) {
    threads.emplace_back([&, t] {
      const auto journal = open();
      for (int b = 0; b < kBlocksEach; ++b) {
        const SerialBlockOwner owner{"2024-05-01T08:00:00.000Z", "line1", "sim:" + std::to_string(t), "", "/a.vk"};
        const SerialReservation r = journal->reserveSerials(shared, kSize, owner);
        if (!r.block) errors[static_cast<std::size_t>(t)] += r.error + "\n";
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string& error : errors) EXPECT_EQ(error, "");

  std::vector<SerialSeriesState> list;
  ASSERT_EQ(openJournalStore(path, JournalAccess::Read).store->listSeries(list), "");
  ASSERT_EQ(list.size(), 1u);
  const SerialSeriesState& state = list[0];
  ASSERT_EQ(state.blocks.size(), static_cast<std::size_t>(kConnections * kBlocksEach));
  // In the order they were reserved, each block starts where the one before ended.
  std::uint64_t expected = shared.start;
  for (const SerialBlock& block : state.blocks) {
    EXPECT_EQ(block.first, expected);
    EXPECT_EQ(block.last, block.first + (kSize - 1) * 2);
    expected = block.last + 2;
  }
  EXPECT_EQ(state.next, expected);
  EXPECT_EQ(state.series.addresses, shared.addresses);
}

TEST_F(SerialLedger, ASeriesIsEveryFieldOfTheRollingCodeAndRefusalsReserveNothing) {
  const auto journal = open();
  const SerialBlockOwner owner{"2024-05-01T08:00:00.000Z", "line1", "COM3", "4B5439300005202400000001", "/a.vk"};
  SerialSeries movlw = series(1, 1, 250);
  movlw.instructionKind = 4;
  struct Case {
    SerialSeries series;
    std::uint64_t count;
    std::optional<std::uint64_t> first;
    std::optional<std::uint64_t> remaining;
  };
  const Case cases[] = {
      {series(1, 1, 250), 3, 250, {}},
      {series(1, 1, 250), 3, 253, {}},
      {series(1, 1, 250), 1, {}, 0},  // 250 ... 255 are out: one byte holds no more
      {movlw, 2, 250, {}},
      {series(1, 1, 0), 2, 0, {}},
      {series(1, 0, 7), 1, {}, {}},
  };
  for (const Case& c : cases) {
    const SerialReservation r = journal->reserveSerials(c.series, c.count, owner);
    EXPECT_EQ(r.block ? std::optional(r.block->first) : std::nullopt, c.first) << r.error;
    EXPECT_EQ(r.remaining, c.remaining);
  }
  std::vector<SerialSeriesState> list;
  ASSERT_EQ(journal->listSeries(list), "");
  ASSERT_EQ(list.size(), 3u);  // the refused step-0 series is not kept
  EXPECT_TRUE(list[0].exhausted);
  EXPECT_EQ(list[0].blocks.size(), 2u);
  EXPECT_EQ(list[0].blocks[1].owner.programmerUid, owner.programmerUid);
  EXPECT_EQ(list[1].next, 252u);
}

}  // namespace
}  // namespace kt90
