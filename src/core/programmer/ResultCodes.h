#pragma once
#include <cstdint>
#include <string>

#include "core/text/Language.h"

namespace kt90 {

// The log text of a programming run's result code: one of the sixteen texts, or "Connect
// programmer fail!" for 16 and above (0xFF: no code arrived).
std::string resultCodeText(std::uint8_t code, LanguageId language);

}  // namespace kt90
