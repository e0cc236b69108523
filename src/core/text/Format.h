#pragma once
#include <cstddef>
#include <string>

namespace kt90 {

// printf-style formatting into a std::string of any length. The format is one of the
// system's own message texts; callers pass std::string arguments as c_str().
std::string formatText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Cuts UTF-8 `text` to at most `units` UTF-16 code units, never inside a character.
// The Windows buffers of the original texts were counted in UTF-16 units.
std::string cutToUtf16Units(const std::string& text, std::size_t units);

// Number of UTF-16 code units `text` (UTF-8) would occupy.
std::size_t utf16Length(const std::string& text);

}  // namespace kt90
