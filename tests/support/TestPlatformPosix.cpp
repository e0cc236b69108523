#include <sys/stat.h>
#include <unistd.h>

#include "TestPlatform.h"

namespace kt90::test {

bool makeFifo(const std::filesystem::path& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

bool folderPermissionsEnforced() { return ::geteuid() != 0; }

}  // namespace kt90::test
