#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "core/base/FileIo.h"
#include "support/TestPlatform.h"

namespace kt90 {
namespace {

namespace fs = std::filesystem;

// What each kind of path reads as; nothing may block (a FIFO) or be read past the bound.
TEST(FileRead, RefusesWhatIsNotASmallRegularFile) {
  const fs::path dir = fs::temp_directory_path() / ("kt90_fileread_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "small.bin", std::ios::binary) << "0123456789";
  if (!test::makeFifo(dir / "fifo")) GTEST_SKIP() << test::kNoFifos;

  struct Case {
    fs::path path;
    std::uintmax_t bound;
    ReadProblem problem;
  };
  const Case cases[] = {
      {dir / "small.bin", 10, ReadProblem::None},
      {dir / "small.bin", 9, ReadProblem::TooLarge},
      {dir / "missing.bin", 10, ReadProblem::Missing},
      {dir, 10, ReadProblem::NotRegular},
      {dir / "fifo", 10, ReadProblem::NotRegular},
      {"/dev/zero", 10, ReadProblem::NotRegular},
  };
  for (const Case& c : cases) {
    const FileRead read = readFileBounded(c.path, c.bound);
    EXPECT_EQ(read.problem, c.problem) << c.path;
    EXPECT_EQ(read.bytes.size(), c.problem == ReadProblem::None ? 10u : 0u) << c.path;
  }
  EXPECT_EQ(readProblemText(ReadProblem::TooLarge, 9), "larger than 9 bytes");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kt90
