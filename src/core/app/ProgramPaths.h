#pragma once
#include <string>

namespace kt90 {

enum class SaveType { Project, Hex, Bin };

// Lower-case extension of the file name (without the dot), "" when it has none. Only the
// file name counts: a folder named "x.vk.d" has nothing to do with it.
std::string fileExtension(const std::string& path);

// The project file saved again after a download: the file's own .vk/.hex/.bin/.pro
// extension replaced by ".vk" (A.HEX gives A.vk); other names get ".vk" appended.
std::string projectPathFor(const std::string& path);

// The name Save writes for the chosen type: the path unchanged when its extension already
// is the type's, else the type's extension appended (out.bin saved as HEX is out.bin.hex).
std::string savePathFor(const std::string& path, SaveType type);

// The type implied by a file name's extension (.vk/.hex/.bin), if any.
bool saveTypeFromExtension(const std::string& path, SaveType& type);

}  // namespace kt90
