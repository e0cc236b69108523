#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/base/FileIo.h"
#include "core/base/Reporter.h"
#include "core/text/Language.h"

namespace kt90 {

// The log line for a file that was not read: message 1 ("open file %s Failed") when it is
// missing or cannot be opened, else the reason (not a regular file, larger than `maxBytes`).
std::string fileProblemLine(const std::string& path, ReadProblem problem, std::uintmax_t maxBytes, LanguageId language);

// readFileBounded, with the line above logged when the file is not read.
std::optional<Bytes> readFileReporting(const std::filesystem::path& path, std::uintmax_t maxBytes, LanguageId language,
                                       Reporter& reporter);

}  // namespace kt90
