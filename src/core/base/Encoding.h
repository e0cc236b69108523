#pragma once
#include <string>
#include <string_view>

#include "core/base/Bytes.h"

namespace kt90 {

// How a text file of the program directory (chip definitions, settings, KT_ID.TXT) is read.
// A byte-order mark decides. Without one the file is what the Chinese Windows systems these
// files come from write: their ANSI code page, GB18030. Short GB18030 texts are often valid
// UTF-8 as well ("校准" is), so UTF-8 is only taken for bytes that cannot be GB18030.
enum class TextFileEncoding { Utf8Bom, Utf16Le, Gb18030, Utf8 };
TextFileEncoding detectTextFileEncoding(ByteView bytes);

// The text of such a file as UTF-8.
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
