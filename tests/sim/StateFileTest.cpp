#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/base/FileIo.h"
#include "sim/Emulator.h"
#include "sim/StateFile.h"

namespace kt90::sim {
namespace {

TEST(StateFile, SaveAndLoadKeepEveryLastingPart) {
  Emulator a;
  a.setVersionText("KT90 DB V4.0");
  a.setUid({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  a.storage()[0x1FFFF] = 0x42;
  a.storage()[0] = 0x07;
  a.eeprom()[0] = 0x00;
  a.setFeature(Bytes(2048, 0x33));
  a.counters = {200, 199};
  a.selfTestFailures = 0x20000;
  a.chip().makeBlank(16);
  a.chip().burnCode(0x1FFF, 0x1234);
  a.chip().burnOption(15, 0x00FF);
  a.chip().key = SocketChip::Key{1, 2, 3, 4, 5};
  a.chip().calibration[7] = 77;
  a.runState = {false, true, {9, 8, 7, 6, 5, 4, 3, 2}, 12345};
  a.faults.noReply = true;  // a setting of the run, not state

  const auto path = std::filesystem::temp_directory_path() / ("kt90-sim-state-" + std::to_string(::getpid()));
  ASSERT_TRUE(saveStateFile(a, path));
  Emulator b;
  ASSERT_EQ(loadStateFile(path, b), "");
  std::filesystem::remove(path);

  EXPECT_EQ(b.versionText(), a.versionText());
  EXPECT_EQ(b.uid(), a.uid());
  EXPECT_EQ(b.storage(), a.storage());
  EXPECT_EQ(b.eeprom(), a.eeprom());
  EXPECT_EQ(b.feature(), a.feature());
  EXPECT_EQ(b.counters.total, 200u);
  EXPECT_EQ(b.counters.success, 199u);
  EXPECT_EQ(b.selfTestFailures, 0x20000u);
  EXPECT_EQ(b.chip().wordWidth(), 16);
  EXPECT_EQ(b.chip().code(0x1FFF), 0x1234);
  EXPECT_EQ(b.chip().option(15), 0x00FF);
  EXPECT_EQ(b.chip().key, a.chip().key);
  EXPECT_EQ(b.chip().calibration[7], 77);
  EXPECT_FALSE(b.runState.fresh);
  EXPECT_TRUE(b.runState.rollingOverflow);
  EXPECT_EQ(b.runState.serial, a.runState.serial);
  EXPECT_EQ(b.runState.limitUsed, 12345u);
  EXPECT_FALSE(b.faults.noReply);
  EXPECT_EQ(encodeState(b), encodeState(a));
}

TEST(StateFile, BadFilesChangeNothing) {
  Emulator source;
  source.setVersionText("CHANGED");
  const Bytes good = encodeState(source);

  auto rejects = [](const Bytes& bytes) {
    Emulator e;
    const std::string error = decodeState(bytes, e);
    EXPECT_EQ(e.versionText(), Emulator::kDefaultVersion);
    return !error.empty();
  };
  EXPECT_TRUE(rejects({}));
  EXPECT_TRUE(rejects(Bytes(good.begin(), good.begin() + 11)));
  EXPECT_TRUE(rejects(Bytes(good.begin(), good.end() - 1)));  // last record cut short
  Bytes wrongFormat = good;
  wrongFormat[8] = 2;
  EXPECT_TRUE(rejects(wrongFormat));
  // A storage record of the wrong size, after the version record, still changes nothing.
  Bytes badStorage(good.begin(), good.begin() + 12);
  Bytes version = {'V', 'E', 'R', 'S', 1, 0, 0, 0, 'X'};
  appendBytes(badStorage, version);
  Bytes storage = {'S', 'T', 'O', 'R', 4, 0, 0, 0, 1, 2, 3, 4};
  appendBytes(badStorage, storage);
  EXPECT_TRUE(rejects(badStorage));

  // Unknown records are skipped; missing ones keep what the emulator had.
  Bytes partial(good.begin(), good.begin() + 12);
  appendBytes(partial, Bytes{'N', 'E', 'W', '!', 2, 0, 0, 0, 1, 2});
  appendBytes(partial, version);
  Emulator e;
  e.counters.total = 5;
  EXPECT_EQ(decodeState(partial, e), "");
  EXPECT_EQ(e.versionText(), "X");
  EXPECT_EQ(e.counters.total, 5u);

  EXPECT_NE(loadStateFile("/nonexistent/kt90.state", e), "");
}

}  // namespace
}  // namespace kt90::sim

namespace kt90::sim {
namespace {

TEST(StateFile, FreshChipsAreOfTheKindTheSocketHeldLast) {
  Emulator wide;
  wide.chipWordWidth = 16;
  wide.chip().makeBlank(16);
  Emulator loaded;
  ASSERT_EQ(loaded.chipWordWidth, 14);
  ASSERT_EQ(decodeState(encodeState(wide), loaded), "");
  EXPECT_EQ(loaded.chipWordWidth, 16);
  EXPECT_EQ(loaded.chip().wordWidth(), 16);
}

}  // namespace
}  // namespace kt90::sim
