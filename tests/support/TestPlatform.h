#pragma once
#include <filesystem>

// What a test needs from the platform it runs on (TestPlatformPosix.cpp,
// TestPlatformWindows.cpp); a test whose subject does not exist there skips, saying why.
namespace kt90::test {

// Makes a FIFO at `path`; false where there are none (Windows).
bool makeFifo(const std::filesystem::path& path);
inline constexpr const char* kNoFifos = "Windows has no FIFOs (mkfifo) or /dev/zero";

// Whether a folder without write permission refuses this process: not for root, and not
// on Windows, where the read-only attribute of a folder does not stop writing.
bool folderPermissionsEnforced();

}  // namespace kt90::test
