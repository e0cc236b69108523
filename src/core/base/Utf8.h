#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kt90 {

// The length of the well-formed UTF-8 sequence at text[i] (its code point in `codePoint`),
// or 0 when its bytes are not one: overlong forms and surrogates are not.
std::size_t utf8SequenceAt(std::string_view text, std::size_t i, std::uint32_t* codePoint = nullptr);

void appendUtf8(std::string& out, std::uint32_t codePoint);

}  // namespace kt90
