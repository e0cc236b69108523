#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace kt90::test {

// A temporary folder name of this test alone: CTest runs tests in parallel, and two
// builds may run the same test at the same time.
inline std::filesystem::path uniqueTempDir(const std::string& stem) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = stem + "_" + std::to_string(::getpid());
  if (info) name += std::string("_") + info->test_suite_name() + "_" + info->name();
  return std::filesystem::temp_directory_path() / name;
}

}  // namespace kt90::test
