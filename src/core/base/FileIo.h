#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "core/base/Bytes.h"

namespace kt90 {

// Reads a whole file; nullopt when it cannot be opened or read.
std::optional<Bytes> readWholeFile(const std::filesystem::path& path);

// Writes `bytes` to a temporary file in the same folder and renames it over `path` only
// when everything was written, so a failed save never destroys the previous file.
bool writeFileAtomically(const std::filesystem::path& path, ByteView bytes);

bool fileExists(const std::filesystem::path& path);

// UTF-8 path text to a filesystem path (and back), the same on every host.
std::filesystem::path pathFromUtf8(const std::string& utf8);
std::string pathToUtf8(const std::filesystem::path& path);

}  // namespace kt90
