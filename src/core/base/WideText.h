#pragma once
#include <string>
#include <string_view>

// UTF-8 <-> the UTF-16 of the Windows API (Windows builds only).
namespace kt90 {

std::wstring utf8ToWide(std::string_view utf8);
std::string wideToUtf8(std::wstring_view wide);

}  // namespace kt90
