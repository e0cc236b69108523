#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace kt90 {

// Sets one key of an INI text, changing nothing else: the key's line is replaced in
// place, or a line is added at the end of its section, or the section is added at the
// end. Line ends follow the text's own (CR LF when it has any).
std::string setIniKey(std::string_view utf8Text, std::string_view section, std::string_view key,
                      std::string_view value);

// The same on a file, keeping its encoding (UTF-8 with or without BOM, UTF-16LE, GB18030).
// The file is replaced atomically; a missing file is created as UTF-8. False, with
// nothing written, when the file exists but cannot be read whole (not a regular file,
// too large, unreadable): replacing it would lose what it holds.
bool writeIniKey(const std::filesystem::path& path, std::string_view section, std::string_view key,
                 std::string_view value);

}  // namespace kt90
