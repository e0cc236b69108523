#include "link/DeviceLinks.h"

#include <system_error>

#include "link/UsbIds.h"

namespace kt90::link {

std::vector<std::filesystem::path> kt90LinkTargets(const std::filesystem::path& devDir) {
  std::vector<std::filesystem::path> targets;
  std::error_code ec;
  std::filesystem::directory_iterator it(devDir, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code linkError;
    if (name.rfind(kKt90DeviceLinkPrefix, 0) != 0 || !it->is_symlink(linkError)) continue;
    const std::filesystem::path target = std::filesystem::read_symlink(it->path(), linkError);
    if (linkError) continue;
    targets.push_back((target.is_absolute() ? target : devDir / target).lexically_normal());
  }
  return targets;
}

}  // namespace kt90::link
