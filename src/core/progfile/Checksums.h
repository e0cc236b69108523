#pragma once
#include <array>
#include <cstdint>

#include "core/progfile/ProgramImage.h"

namespace kt90 {

// The head area as the programmer stores it: FileHead followed by ConfigBlock.
using HeadArea = std::array<std::uint8_t, FileHead::kSize + ConfigBlock::kSize>;
HeadArea headAreaOf(const ProgramImage& image);

// CRC over option words 0-7 and the program's code. Stores the result in the low bytes
// of option words 8 and 9 and updates the high byte of the option mask from the
// protection mode, every time it is computed.
std::uint16_t chipSignature(ProgramImage& image);

// The signature of a chip read. `headCopy` holds the image's head area with the option
// words read from the chip; option words the image has as 0 count as `blank`. Steps 2
// and 3 of the signature act on `headCopy`.
std::uint16_t readChipSignature(HeadArea& headCopy, const FileHead& imageHead, ByteView readCode,
                                std::uint16_t blank);

// CRC over head, code, signature, calibration, open/short and (when on) rolling code.
// Computes the ChipSignature first, with its side effects.
std::uint16_t fileChecksum(ProgramImage& image);

// Byte sums of old-format project files (32-bit, wrapping).
std::uint32_t oldDataChecksum(ByteView code);
std::uint32_t oldFileChecksum(ByteView head32, std::uint32_t dataChecksum);

}  // namespace kt90
