#pragma once
#include <filesystem>
#include <vector>

namespace kt90::link {

// The ports the udev rule's /dev/kt90-N links of `devDir` point to, as absolute paths
// (/dev/ttyACM0). Empty where there is no such folder (Windows) or no programmer.
std::vector<std::filesystem::path> kt90LinkTargets(const std::filesystem::path& devDir = "/dev");

}  // namespace kt90::link
