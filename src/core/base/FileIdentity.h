#pragma once
#include <filesystem>

namespace kt90 {

// Whether two paths name one file, however they are spelt: for files that exist, the same
// device and inode (links, "./x" and "x", a /dev/serial/by-id link and its tty); otherwise
// the same path once links and "." and ".." are resolved.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Whether two existing files are one (same device and inode, or the platform's equal),
// devices such as serial ports included. One file per platform.
bool sameExistingFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace kt90
