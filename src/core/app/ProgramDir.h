#pragma once
#include <optional>
#include <string>
#include <vector>

namespace kt90 {

// The program directory holds CH_DEV, EN_DEV, CIF, Firmware, DLL/set.dll and DOC. It is,
// in this order: the folder named explicitly (--data-dir), the one in KT90_DATA_DIR, the
// executable's own folder when it holds a chip-definition folder (a build tree), or the
// installed data folder(s) given. The first candidate that exists wins; an explicit
// folder or KT90_DATA_DIR is taken even when it does not exist, so mistakes show.
// The installed data folder of the executable in `executableDir`: ../share/kt90 beside it.
std::string installedProgramDir(const std::string& executableDir);

std::string findProgramDir(const std::optional<std::string>& explicitDir, const char* environmentValue,
                           const std::string& executableDir, const std::vector<std::string>& installedDirs);

}  // namespace kt90
