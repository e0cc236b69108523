#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/base/FileIo.h"

namespace kt90::testing {

// A program directory of its own for one test, removed afterwards.
class TempProgramDir {
 public:
  TempProgramDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::temp_directory_path() /
            ("kt90_chip_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  ~TempProgramDir() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  TempProgramDir(const TempProgramDir&) = delete;
  TempProgramDir& operator=(const TempProgramDir&) = delete;

  std::string dir() const { return pathToUtf8(root_); }
  std::filesystem::path path() const { return root_; }

  // Writes `bytes` to `relative` below the directory, creating folders as needed.
  void writeBytes(const std::string& relative, const std::string& bytes) const {
    const auto file = root_ / pathFromUtf8(relative);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // A chip definition in CH_DEV (and EN_DEV with `both`), as UTF-8 with a BOM like the
  // shipped ones.
  void writeDefinition(const std::string& model, const std::string& text, bool both = false) const {
    writeBytes("CH_DEV/" + model + ".dev", "\xEF\xBB\xBF" + text);
    if (both) writeBytes("EN_DEV/" + model + ".dev", "\xEF\xBB\xBF" + text);
  }

 private:
  std::filesystem::path root_;
};

inline std::string shippedDataDir() { return KT90_TEST_DATA_DIR; }

}  // namespace kt90::testing
