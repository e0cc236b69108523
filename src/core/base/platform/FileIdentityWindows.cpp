#include "core/base/FileIdentity.h"

namespace kt90 {

// Ports are names (COM3) here, not files; for files the volume and file index decide.
bool sameExistingFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace kt90
