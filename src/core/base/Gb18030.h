#pragma once
#include <string>
#include <string_view>

namespace kt90 {

// GB18030 <-> UTF-8. Bytes that cannot be converted become U+FFFD (decoding) or '?'
// (encoding); neither function fails.
std::string gb18030ToUtf8(std::string_view gb);
std::string utf8ToGb18030(std::string_view utf8);

// Whether every byte sequence of `gb` is GB18030.
bool isValidGb18030(std::string_view gb);

}  // namespace kt90
