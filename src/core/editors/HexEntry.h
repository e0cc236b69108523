#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace kt90 {

// The typing filter of the rolling-code edits: upper case, every character that is not
// 0-9 or A-F dropped. The edit takes the result when it differs from what was typed.
std::string filterHexDigits(std::string_view typed);

// An edit's text read as hexadecimal: empty gives 0, characters other than hexadecimal
// digits are passed over, and the value keeps its low 32 bits (callers narrow further).
std::uint32_t parseHexDigits(std::string_view text);

}  // namespace kt90
