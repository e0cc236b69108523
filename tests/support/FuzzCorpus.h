#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "core/base/Bytes.h"

namespace kt90::test {

// The committed fuzz corpora, one folder per harness.
inline const std::filesystem::path kFuzzCorpus = std::filesystem::path(KT90_TEST_DATA_DIR) / ".." / "fuzz" / "corpus";

// Seed files per corpus folder: folder -> file name -> bytes.
using FuzzSeeds = std::map<std::string, std::map<std::string, Bytes>>;

// Writes the seeds into the folder named by KT90_WRITE_FUZZ_CORPUS; skips the test without it.
inline void writeSeedsOnRequest(const FuzzSeeds& seeds) {
  const char* target = std::getenv("KT90_WRITE_FUZZ_CORPUS");
  if (target == nullptr) GTEST_SKIP() << "set KT90_WRITE_FUZZ_CORPUS to a corpus folder to write the seeds";
  for (const auto& [folder, files] : seeds) {
    std::filesystem::create_directories(std::filesystem::path(target) / folder);
    for (const auto& [name, bytes] : files) {
      std::ofstream out(std::filesystem::path(target) / folder / name, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      ASSERT_TRUE(out.good()) << name;
    }
  }
}

// Runs every file of each target's corpus folder through the target, as CI's replay does.
template <class Targets>
void replayCorpora(const Targets& targets) {
  for (const auto& target : targets) {
    const std::filesystem::path folder = kFuzzCorpus / target.name;
    SCOPED_TRACE(folder.string());
    ASSERT_TRUE(std::filesystem::is_directory(folder));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      target.run(bytes);
      ++files;
    }
    EXPECT_GT(files, 0);
  }
}

}  // namespace kt90::test
