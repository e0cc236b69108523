#pragma once
#include <cstddef>
#include <cstdint>

#include "core/base/Bytes.h"
#include "core/base/Reporter.h"
#include "core/progfile/ProgramImage.h"
#include "core/text/Language.h"

namespace kt90 {

// Intel HEX with byte addresses: byte 2n is the low and 2n+1 the high byte of code word n.

// A record holds at most count, address, type, 255 data bytes and the checksum.
inline constexpr std::size_t kMaxHexRecordBytes = 260;

// Loads `text` into the code buffer after filling the first CodeWords words with
// `blank`. Accepts CR LF or LF line ends, lower-case digits, white space before the
// colon, a missing end record (with a warning line: the file may be cut short), and
// extended-address records. Data whose full address
// (extended base plus record address) lies beyond CodeWords * 2 fails the load with the
// code blanked again. Each problem is one log line.
bool readHex(ByteView text, ProgramImage& image, std::uint16_t blank, LanguageId language, Reporter& reporter);

// The HEX text of the first `codeWords` words of `shownCode`: an extended-address record
// for 0, one 16-byte data record per block of 8 words that is not all `blank` (a trailing
// block of fewer words as a shorter record), the end record; CR LF line ends.
Bytes writeHex(ByteView shownCode, std::size_t codeWords, std::uint16_t blank);

}  // namespace kt90
