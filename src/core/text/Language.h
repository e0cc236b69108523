#pragma once
#include <cstdint>

namespace kt90 {

// Language identifiers as stored in the profile key "LANGID".
using LanguageId = std::uint16_t;
inline constexpr LanguageId kChinese = 2052;
inline constexpr LanguageId kEnglish = 1033;

// The texts of the string table exist in two languages; any identifier other than
// Chinese reads the English ones.
inline bool isChinese(LanguageId id) { return id == kChinese; }
inline bool isKnownLanguage(LanguageId id) { return id == kChinese || id == kEnglish; }

}  // namespace kt90
