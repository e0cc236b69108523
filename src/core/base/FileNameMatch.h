#pragma once
#include <filesystem>
#include <string>

namespace kt90 {

// Windows compares file names without regard to case, so files copied from there may be
// named "QD45C8K.DEV" or "qd45c8k.Cif". The entry of `folder` named `name` with ASCII case
// ignored (the entry of exactly that name first); `folder / name` when there is none.
std::filesystem::path findFileNoCase(const std::filesystem::path& folder, const std::string& name);

}  // namespace kt90
