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

Bytes formatOne(std::initializer_list<Bytes> records) {
  Bytes out = {'K', 'T', '9', '0', 'S', 'I', 'M', 0, 1, 0, 0, 0};
  for (const Bytes& r : records) appendBytes(out, r);
  return out;
}

TEST(StateFile, TornAndDamagedFilesAreRefusedAndChangeNothing) {
  Emulator source;
  source.setVersionText("CHANGED");
  const Bytes good = encodeState(source);
  Bytes journal = good;
  appendBytes(journal, encodeStateChange({{"CNTS", Bytes(8, 1)}}));
  const Bytes version = {'V', 'E', 'R', 'S', 1, 0, 0, 0, 'X'};
  const Bytes badStorage = {'S', 'T', 'O', 'R', 4, 0, 0, 0, 1, 2, 3, 4};
  auto flipped = [](Bytes b, std::size_t at) {
    b[at] ^= 0x01;
    return b;
  };
  const struct {
    const char* name;
    Bytes bytes;
    const char* reason;
  } cases[] = {
      {"empty", {}, "not an emulator state file"},
      {"header cut", Bytes(good.begin(), good.begin() + 11), "not an emulator state file"},
      {"unknown format", flipped(good, 9), "unsupported"},
      {"last change cut short", Bytes(journal.begin(), journal.end() - 1), "torn"},
      {"change without its end", Bytes(journal.begin(), journal.end() - 12), "torn"},
      {"storage byte flipped", flipped(good, 0x1000), "damaged"},
      {"journal byte flipped", flipped(journal, good.size() + 9), "damaged"},
      {"format 1 record cut short", formatOne({Bytes(version.begin(), version.end() - 1)}), "truncated"},
      {"format 1 storage of the wrong size", formatOne({version, badStorage}), "bad storage record"},
  };
  for (const auto& c : cases) {
    Emulator e;
    const std::string error = decodeState(c.bytes, e);
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    EXPECT_EQ(e.versionText(), Emulator::kDefaultVersion) << c.name;
  }

  // Format 1 is still read: unknown records are skipped, missing ones keep what the
  // emulator had.
  Emulator e;
  e.counters.total = 5;
  EXPECT_EQ(decodeState(formatOne({{'N', 'E', 'W', '!', 2, 0, 0, 0, 1, 2}, version}), e), "");
  EXPECT_EQ(e.versionText(), "X");
  EXPECT_EQ(e.counters.total, 5u);
  // A later change replaces what came before.
  EXPECT_EQ(decodeState(journal, e), "");
  EXPECT_EQ(e.counters.total, 0x01010101u);

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
