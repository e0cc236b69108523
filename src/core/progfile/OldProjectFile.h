#pragma once
#include <array>
#include <cstdint>

#include "core/base/Bytes.h"
#include "core/base/Reporter.h"
#include "core/progfile/ProgramImage.h"
#include "core/text/Language.h"

namespace kt90 {

// Project files of the old layout (version below 0x10): a 32-byte head with the code
// size in KB and a 5-character chip name, the code, two byte-sum checksums and, with the
// rolling code on, the 34-byte rolling-code record. Read only.
//
// `file` starts with the old head, which the caller has already copied into image.head.
// On success the head is converted to the current layout (CodeWords, version 0x10, the
// option words moved, the chip name moved to the name field, "K027" renamed "027" with
// bit 13 of option word 0 set); the chip definition for old files is applied by the caller.
bool readOldProject(ByteView file, ProgramImage& image, LanguageId language, Reporter& reporter);

// The name field the conversion gives an old head (its bytes 8-15 are option words there):
// up to 5 letters and digits from byte 3, "K027" becoming "027".
std::array<std::uint8_t, FileHead::kNameSize> oldLayoutChipName(const FileHead& head);

}  // namespace kt90
