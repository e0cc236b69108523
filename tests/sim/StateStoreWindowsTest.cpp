// The state store on Windows, where the lock sits in a file beside the state file.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/base/FileIo.h"
#include "sim/Emulator.h"
#include "sim/StateStore.h"
#include "support/TempDir.h"

namespace kt90::sim {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Every spelling of the name meets the one lock, before and after the file is rewritten
// whole; a second hard link, which would bring a lock of its own, is refused.
TEST(StateStore, EveryNameOfTheFileMeetsTheOneLock) {
  const fs::path dir = test::uniqueTempDir("kt90-store-names");
  fs::create_directories(dir);
  const fs::path path = dir / "state.sim";
  Emulator a, b;
  StateStore first(path, 0);  // every commit rewrites the file
  ASSERT_EQ(first.open(a, 0ms), "");
  const fs::path names[] = {path, dir / "." / "STATE.SIM", dir / ".." / dir.filename() / "State.Sim"};
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "as opened" : "rewritten");
    for (const fs::path& name : names) {
      StateStore second(name);
      EXPECT_EQ(second.open(b, 50ms), pathToUtf8(name) + " is in use by another programmer process");
    }
    a.setFeature(Bytes(2048, static_cast<std::uint8_t>(round)));
    ASSERT_EQ(first.commit(a), "");
  }
  first.close();
  Emulator loaded;
  ASSERT_EQ(loadStateFile(path, loaded), "");
  EXPECT_EQ(encodeState(loaded), encodeState(a));

  fs::create_hard_link(path, dir / "link.sim");
  StateStore linked(dir / "link.sim");
  EXPECT_NE(linked.open(b, 0ms).find("hard links"), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kt90::sim
