#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/app/WritableFiles.h"

namespace kt90 {

// The self-test selection when "HwTest.ini" or its value is missing.
inline constexpr std::uint32_t kDefaultHardwareTests = 0x2FFD7B;

inline constexpr const char* kHwTestFileName = "HwTest.ini";

// "Flag" of section "HwTest" in "<programDir>/HwTest.ini" (the user's copy when the
// program directory is not writable and the user has one), or the default.
std::uint32_t hardwareTestSelection(const std::string& programDir);
std::uint32_t hardwareTestSelection(const WritableFiles& files);

// The names of the tests and groups a HardwareModify result marks failed, in table order.
std::vector<std::string> failedTestNames(std::uint32_t result);

}  // namespace kt90
