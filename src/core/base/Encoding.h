#pragma once
#include <string>
#include <string_view>

#include "core/base/Bytes.h"

namespace kt90 {

// Text files of the program directory may be UTF-8 (with or without BOM), UTF-16LE with
// BOM, or GB18030 (files saved on Chinese systems). Returns the text as UTF-8.
std::string decodeTextFile(ByteView bytes);

// "ANSI" texts (the 8-byte chip name, version replies) are ASCII in practice; other
// bytes are read as GB18030, the code page of Chinese systems.
std::string ansiToUtf8(std::string_view ansi);
std::string utf8ToAnsi(std::string_view utf8);

bool isValidUtf8(std::string_view text);
// The text with every byte that is not part of a well-formed UTF-8 sequence written as
// "\xNN" (upper-case hexadecimal): what a file held, shown without breaking the output.
std::string escapeInvalidUtf8(std::string_view text);
std::string utf16leToUtf8(ByteView bytes);

}  // namespace kt90
