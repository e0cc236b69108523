#include <windows.h>

#include <filesystem>

#include "cli/CliContext.h"
#include "core/base/FileIo.h"

namespace kt90 {

std::string executableDir() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return pathToUtf8(std::filesystem::current_path());
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return pathToUtf8(std::filesystem::path(path).parent_path());
}

}  // namespace kt90
