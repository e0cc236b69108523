#include <gtest/gtest.h>

#include "core/programmer/Commands.h"
#include "sim/Emulator.h"
#include "sim/Faults.h"

namespace kt90::sim {
namespace {

using namespace std::chrono_literals;

TEST(Emulator, ChipPowersWithItsKeyAndGetsReadyAfterADelay) {
  auto clock = std::make_shared<ManualClock>();
  Emulator e(clock);
  const std::uint8_t keys[5] = {1, 2, 3, 4, 5};
  e.chip().key = SocketChip::Key{1, 2, 3, 4, 5};
  const std::uint8_t wrong[5] = {1, 2, 3, 4, 6};
  EXPECT_FALSE(e.powerOn(wrong));
  ASSERT_TRUE(e.powerOn(keys));
  EXPECT_FALSE(e.chipReady());
  EXPECT_FALSE(e.readMcu(0, 32));
  clock->advance(e.readyDelay);
  EXPECT_TRUE(e.chipReady());
  EXPECT_EQ(e.readMcu(0x2000, 32)->size(), 32u);
  EXPECT_FALSE(e.readMcu(0x2000, 33));
  EXPECT_FALSE(e.readMcu(0x2001, 32));  // past the option words
  EXPECT_FALSE(e.readMcu(0xFFFFFFF0u, 32));
  EXPECT_TRUE(e.powerOff());
  EXPECT_FALSE(e.chipReady());

  e.chip().present = false;
  EXPECT_FALSE(e.powerOn(keys));
}

TEST(Emulator, WaitOutputReturnsWhatArrivedByTheDeadline) {
  auto clock = std::make_shared<ManualClock>();
  Emulator e(clock);
  ASSERT_TRUE(e.command(CMD_GET_VERSION));
  const Bytes first = e.waitOutput(4, clock->now() + 1s);
  EXPECT_EQ(first, (Bytes{'K', 'T', '9', '0'}));
  EXPECT_EQ(e.waitOutput(64, clock->now() + 1s).size(), 28u);  // the rest, at once
  EXPECT_TRUE(e.waitOutput(1, clock->now() + 1s).empty());

  // A version longer than the reply still ends in a zero byte.
  e.setVersionText(std::string(40, 'V'));
  ASSERT_TRUE(e.command(CMD_GET_VERSION));
  const Bytes reply = e.waitOutput(32, clock->now());
  EXPECT_EQ(reply.size(), 32u);
  EXPECT_EQ(reply[31], 0);
}

TEST(Emulator, CifArrivesInBoundedPieces) {
  Emulator e;
  EXPECT_FALSE(e.featureChunk(0, Bytes(64, 1)));  // nothing announced
  EXPECT_FALSE(e.featureBegin(4096));
  ASSERT_TRUE(e.featureBegin(2048));
  EXPECT_TRUE(e.featureChunk(1984, Bytes(64, 7)));
  EXPECT_FALSE(e.featureChunk(1985, Bytes(64, 7)));
  EXPECT_EQ(e.feature()[2047], 7);
}

TEST(Faults, SwitchesByNameAndRejectsNonsense) {
  Emulator e;
  EXPECT_EQ(applyFault(e, "no-reply"), "");
  EXPECT_TRUE(e.faults.noReply);
  EXPECT_EQ(applyFault(e, "refuse=0x35"), "");
  EXPECT_TRUE(e.faults.refuses(0x35));
  EXPECT_FALSE(e.faults.refuses(0x17));
  EXPECT_EQ(applyFault(e, "corrupt=20480"), "");
  EXPECT_EQ(e.faults.corruptReadAddress, 0x5000u);
  EXPECT_EQ(applyFault(e, "latency=5"), "");
  EXPECT_EQ(e.faults.latency, 5ms);
  EXPECT_EQ(applyFault(e, "never-ready"), "");
  EXPECT_TRUE(e.faults.chipNeverReady);
  EXPECT_EQ(applyFault(e, "erased"), "");
  EXPECT_EQ(e.storage()[0x1234], 0xFF);
  EXPECT_EQ(applyFault(e, "refuse"), "");
  EXPECT_TRUE(e.faults.refuses(0x17));
  EXPECT_EQ(applyFault(e, "wrong-chip"), "");
  EXPECT_TRUE(e.faults.wrongChip);
  EXPECT_EQ(applyFault(e, "verify-fail"), "");
  EXPECT_TRUE(e.faults.verifyFail);

  for (const char* bad : {"", "bogus", "refuse=0x100", "corrupt", "corrupt=12z", "disconnect=-1", "no-reply=1",
                          "latency=99999", "wrong-chip=1"}) {
    EXPECT_NE(applyFault(e, bad), "") << bad;
  }
  EXPECT_EQ(faultSpecs().size(), 9u);
}

TEST(Faults, DisconnectCountsTransfersAndNeverComesBack) {
  Emulator e;
  ASSERT_EQ(applyFault(e, "disconnect=2"), "");
  EXPECT_TRUE(e.beginTransfer());
  EXPECT_TRUE(e.beginTransfer());
  EXPECT_FALSE(e.beginTransfer());
  EXPECT_TRUE(e.disconnected());
  e.faults.disconnectAfter.reset();
  EXPECT_FALSE(e.beginTransfer());
  EXPECT_EQ(e.transfers(), 2u);
}

}  // namespace
}  // namespace kt90::sim
