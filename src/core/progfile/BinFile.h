#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "core/base/Bytes.h"
#include "core/base/Reporter.h"
#include "core/progfile/ProgramImage.h"
#include "core/text/Language.h"

namespace kt90 {

// A raw binary file copied into `buffer` from byte 0; bytes after the file's end keep
// their values. A file larger than the buffer is refused with a log line and nothing is
// copied. Returns the file size.
std::optional<std::size_t> readBinInto(ByteView file, std::span<std::uint8_t> buffer, LanguageId language,
                                       Reporter& reporter);

// A BIN program file into the image's code buffer (at most 65536 bytes). Only the code
// changes; the file length is not compared with CodeWords.
bool readBin(ByteView file, ProgramImage& image, LanguageId language, Reporter& reporter);

}  // namespace kt90
