// What the state store guarantees through POSIX calls: file modes, links, a full disk.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "core/base/FileIo.h"
#include "sim/Emulator.h"
#include "sim/StateStore.h"
#include "support/TempDir.h"

namespace kt90::sim {
namespace {

using namespace std::chrono_literals;

// The lock is on the file, not on its name: whatever name reaches the file meets it.
TEST(StateStore, EveryNameOfTheFileMeetsTheOneLock) {
  const auto path = test::uniqueTempDir("kt90-store-names");
  const auto dir = path.parent_path();
  Emulator a, b;
  StateStore first(path);
  ASSERT_EQ(first.open(a, 0ms), "");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);  // the programmer's storage is its user's alone
  const auto symlink = test::uniqueTempDir("kt90-store-symlink");
  const auto hardlink = test::uniqueTempDir("kt90-store-hardlink");
  std::filesystem::create_symlink(path, symlink);
  std::filesystem::create_hard_link(path, hardlink);
  for (const auto& name : {path, symlink, hardlink, dir / "." / path.filename()}) {
    StateStore second(name);
    EXPECT_EQ(second.open(b, 50ms), pathToUtf8(name) + " is in use by another programmer process");
  }
  // A rewrite gives the file a new inode; the lock moves with it.
  a.setFeature(Bytes(2048, 0x11));
  StateStore compacting(symlink, 0);
  first.close();
  ASSERT_EQ(compacting.open(a, 0ms), "");
  ASSERT_EQ(compacting.commit(a), "");
  EXPECT_TRUE(std::filesystem::is_symlink(symlink));  // the rewrite replaced the file, not the link
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  StateStore third(path);
  EXPECT_EQ(third.open(b, 50ms), pathToUtf8(path) + " is in use by another programmer process");
  compacting.close();
  for (const auto& name : {path, symlink, hardlink}) std::filesystem::remove(name);
}

// A change that does not fit on the disk is cut back off: the file still loads, as it was
// before the change.
TEST(StateStore, AFailedAppendLeavesTheLastWholeChange) {
  const auto path = test::uniqueTempDir("kt90-store-full");
  Emulator live;
  StateStore store(path);
  ASSERT_EQ(store.open(live, 0ms), "");
  ASSERT_EQ(store.commit(live), "");
  live.counters.success = 3;
  ASSERT_EQ(store.commit(live), "");
  const Bytes before = encodeState(live);
  const auto size = std::filesystem::file_size(path);
  store.close();

  const struct {
    const char* name;
    std::function<void(Emulator&)> change;
  } changes[] = {
      {"CIF", [](Emulator& e) { e.setFeature(Bytes(2048, 0x5A)); }},
      {"storage pages", [](Emulator& e) { e.storage()[0x100] ^= 0xFF; }},
  };
  // The disk is full a few bytes past the file's end (a file size limit stands in for it).
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  for (const auto& c : changes) {
    SCOPED_TRACE(c.name);
    StateStore again(path);
    Emulator reopened;
    ASSERT_EQ(again.open(reopened, 0ms), "");
    c.change(reopened);
    rlimit full = old;
    full.rlim_cur = size + 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
    const std::string error = again.commit(reopened);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_NE(error, "");
    EXPECT_EQ(std::filesystem::file_size(path), size);
    again.close();
    Emulator loaded;
    ASSERT_EQ(loadStateFile(path, loaded), "");
    EXPECT_EQ(encodeState(loaded), before);
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace kt90::sim
