#include "core/app/ProgramDir.h"

#include <filesystem>

#include "core/base/FileIo.h"

namespace kt90 {
namespace {

bool holdsChipDefinitions(const std::string& dir) {
  std::error_code error;
  const auto path = pathFromUtf8(dir);
  return std::filesystem::is_directory(path / "CH_DEV", error) || std::filesystem::is_directory(path / "EN_DEV", error);
}

}  // namespace

std::string installedProgramDir(const std::string& executableDir) {
  return pathToUtf8(pathFromUtf8(executableDir).parent_path() / "share" / "kt90");
}

std::string findProgramDir(const std::optional<std::string>& explicitDir, const char* environmentValue,
                           const std::string& executableDir, const std::vector<std::string>& installedDirs) {
  if (explicitDir && !explicitDir->empty()) return *explicitDir;
  if (environmentValue && *environmentValue) return environmentValue;
  if (holdsChipDefinitions(executableDir)) return executableDir;
  for (const std::string& dir : installedDirs) {
    if (holdsChipDefinitions(dir)) return dir;
  }
  return executableDir;
}

}  // namespace kt90
