#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/base/AtomicWrite.h"
#include "core/base/FileIo.h"
#include "sim/Emulator.h"
#include "sim/StateStore.h"
#include "support/TempDir.h"

namespace kt90::sim {
namespace {

using namespace std::chrono_literals;

// Every change a request can make is in the file once committed, as a small appended
// change; the file is rewritten whole only past its bound.
TEST(StateStore, EveryChangeIsInTheFileAfterItsCommit) {
  const auto path = test::uniqueTempDir("kt90-store");
  Emulator live;
  StateStore store(path, 200000);
  ASSERT_EQ(store.open(live, 0ms), "");
  ASSERT_EQ(store.commit(live), "");
  const struct {
    const char* name;
    std::function<void(Emulator&)> change;
  } changes[] = {
      {"storage byte", [](Emulator& e) { e.storage()[0x6001] = 0x12; }},
      {"last storage byte", [](Emulator& e) { e.storage()[0x1FFFF] = 0x34; }},
      {"EEPROM", [](Emulator& e) { e.eeprom()[251] = 0xAA; }},
      {"counters", [](Emulator& e) { e.counters.success = 7; }},
      {"run state", [](Emulator& e) { e.runState.serial[3] = 9; }},
      {"chip", [](Emulator& e) { e.chip().burnCode(5, 0x0123); }},
      {"CIF", [](Emulator& e) { e.setFeature(Bytes(2048, 0x5A)); }},
      {"version", [](Emulator& e) { e.setVersionText("KT90 V5.1"); }},
  };
  for (const auto& c : changes) {
    const auto before = std::filesystem::file_size(path);
    c.change(live);
    ASSERT_EQ(store.commit(live), "") << c.name;
    EXPECT_LT(std::filesystem::file_size(path) - before, 20000u) << c.name;
    Emulator reloaded;
    ASSERT_EQ(loadStateFile(path, reloaded), "") << c.name;
    EXPECT_EQ(encodeState(reloaded), encodeState(live)) << c.name;
  }
  const auto settled = std::filesystem::file_size(path);
  ASSERT_EQ(store.commit(live), "");
  EXPECT_EQ(std::filesystem::file_size(path), settled);  // nothing changed, nothing written

  for (std::uint32_t i = 0; std::filesystem::file_size(path) >= settled; ++i) {
    ASSERT_LT(i, 10000u);
    live.storage()[(i * kStatePageSize) % 0x20000] ^= 0xFF;
    ASSERT_EQ(store.commit(live), "");
  }
  Emulator compacted;
  ASSERT_EQ(loadStateFile(path, compacted), "");
  EXPECT_EQ(encodeState(compacted), encodeState(live));
  store.close();
  std::filesystem::remove(path);
}

TEST(StateStore, OneUserAtATimeAndDamagedFilesAreRefusedUntouched) {
  const auto path = test::uniqueTempDir("kt90-store-lock");
  Emulator a, b;
  StateStore first(path), second(path);
  ASSERT_EQ(first.open(a, 0ms), "");
  EXPECT_EQ(second.open(b, 50ms), pathToUtf8(path) + " is in use by another programmer process");
  EXPECT_FALSE(second.isOpen());
  first.close();
  StateStore third(path);
  EXPECT_EQ(third.open(b, 50ms), "");
  third.close();

  ASSERT_TRUE(writeFileAtomically(path, Bytes{'K', 'T', '9', '0', 'S', 'I', 'M', 0, 2, 0, 0, 0, 'V'}).ok());
  StateStore damaged(path);
  const std::string error = damaged.open(b, 0ms);
  EXPECT_EQ(error, pathToUtf8(path) + ": torn: the file ends inside a change");
  EXPECT_NE(damaged.commit(b), "");
  EXPECT_EQ(std::filesystem::file_size(path), 13u);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace kt90::sim
