#include <filesystem>

#include "cli/CliContext.h"
#include "core/base/FileIo.h"

namespace kt90 {

std::string executableDir() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return pathToUtf8(std::filesystem::current_path(error));
  return pathToUtf8(self.parent_path());
}

}  // namespace kt90
