#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/base/Bytes.h"
#include "core/base/Reporter.h"
#include "core/text/Language.h"

namespace kt90 {

// The chip information block the programmer needs for a chip; this program never looks
// inside it.
inline constexpr std::size_t kCifSize = 2048;
using CifBlock = std::array<std::uint8_t, kCifSize>;

// "<programDir>/CIF/<model>.cif", the same for every language; empty for a model name
// that would leave the folder.
std::string cifPath(const std::string& programDir, const std::string& model);

// The first 2,048 bytes of a file's content; nothing when it is shorter.
std::optional<CifBlock> cifFromBytes(ByteView bytes);

// Loads the block of `model`: nothing when the file is missing, unreadable, not a regular
// file (never opened, so a pipe cannot block) or shorter than 2,048 bytes. Only the first
// 2,048 bytes of a longer file are read. The second form logs why a path that exists is
// no file.
std::optional<CifBlock> LoadCif(const std::string& programDir, const std::string& model);
std::optional<CifBlock> LoadCif(const std::string& programDir, const std::string& model, LanguageId language,
                                Reporter& reporter);

}  // namespace kt90
