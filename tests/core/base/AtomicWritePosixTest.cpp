// fork() and POSIX links: the POSIX build runs these.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/base/AtomicWrite.h"
#include "core/base/FileIo.h"

namespace kt90 {
namespace {

namespace fs = std::filesystem;

fs::path freshDir(const char* name) {
  const fs::path dir = fs::temp_directory_path() / (name + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// A version is 64 KiB of one byte value, so a mixed or cut file shows at once.
Bytes version(std::uint8_t value) { return Bytes(64 * 1024, value); }

bool whole(const Bytes& bytes) {
  return bytes.size() == 64 * 1024 && std::all_of(bytes.begin(), bytes.end(), [&](auto b) { return b == bytes[0]; });
}

// Two processes saving one file over and over: every read finds one whole version, and
// no temporary file is left behind.
TEST(AtomicWrite, TwoProcessesSavingOneFileNeverMixIt) {
  const fs::path dir = freshDir("kt90_atomic_race_");
  const fs::path target = dir / "shared.vk";
  ASSERT_TRUE(writeFileAtomically(target, version(0)).ok());
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  const std::uint8_t mine = child == 0 ? 1 : 2;
  int failures = 0;
  for (int i = 0; i < 200; ++i) {
    if (!writeFileAtomically(target, version(mine)).ok()) ++failures;
    const auto read = readWholeFile(target);
    if (!read || !whole(*read)) ++failures;
  }
  if (child == 0) ::_exit(failures == 0 ? 0 : 1);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  fs::remove_all(dir);
}

// Whatever lies at the temporary name (a link planted to redirect the save, a file of
// someone else's) is never followed nor overwritten: the save fails, and neither the
// target nor what the link points at changes.
TEST(AtomicWrite, NothingAtTheTemporaryNameIsFollowed) {
  const fs::path dir = freshDir("kt90_atomic_link_");
  const fs::path target = dir / "p.vk";
  const fs::path victim = dir / "victim.txt";
  const struct {
    const char* name;
    void (*plant)(const fs::path& at, const fs::path& victim);
  } cases[] = {
      {"symlink to a file", [](const fs::path& at, const fs::path& v) { fs::create_symlink(v, at); }},
      {"dangling symlink", [](const fs::path& at, const fs::path& v) { fs::create_symlink(v.string() + ".new", at); }},
      {"hard link", [](const fs::path& at, const fs::path& v) { fs::create_hard_link(v, at); }},
      {"plain file", [](const fs::path& at, const fs::path&) { std::ofstream(at) << "theirs"; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::ofstream(victim, std::ios::trunc) << "victim";
    ASSERT_TRUE(writeFileAtomically(target, Bytes{'o', 'l', 'd'}).ok());
    const fs::path temp = dir / ".p.vk.planted.tmp";
    fs::remove(temp);
    c.plant(temp, victim);
    AtomicWriteRequest request;
    request.target = target;
    const Bytes bytes{'n', 'e', 'w'};
    request.bytes = bytes;
    request.tempName = temp.filename();
    const AtomicWriteOutcome outcome = writeAtomically(request);
    EXPECT_FALSE(outcome.ok());
    EXPECT_NE(outcome.problem.find("cannot create a temporary file"), std::string::npos) << outcome.problem;
    EXPECT_EQ(*readWholeFile(target), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(*readWholeFile(victim), (Bytes{'v', 'i', 'c', 't', 'i', 'm'}));
    EXPECT_FALSE(fs::exists(victim.string() + ".new"));
    fs::remove(temp);
  }
  // Unforced names differ every time, so none can be planted in advance.
  AtomicWriteRequest unforced;
  unforced.target = target;
  EXPECT_EQ(temporaryPathFor(unforced).parent_path(), target.parent_path());
  EXPECT_NE(temporaryPathFor(unforced), temporaryPathFor(unforced));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kt90
