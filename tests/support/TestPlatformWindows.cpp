#include "TestPlatform.h"

namespace kt90::test {

bool makeFifo(const std::filesystem::path&) { return false; }

bool folderPermissionsEnforced() { return false; }

}  // namespace kt90::test
