#pragma once
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kt90 {

// The rules behind the password and limit settings and their one-line entry dialog.

enum class EntryMode { Decimal, Hexadecimal };

// The entry dialog's filter, run on every change: upper case, only 0-9 (decimal) or
// 0-9 and A-F (hexadecimal) kept, in their order, at most `maxChars` of them.
std::string filterEntryText(std::string_view text, EntryMode mode, std::size_t maxChars);

// The program limit as typed: empty is 0; nullopt above 4294967295 or for a character
// that is not a digit (the caller shows message 88, ProgramLimitTooLarge).
std::optional<std::uint32_t> parseProgramLimit(std::string_view text);

// The download limit as typed: empty is 0; nullopt above 255 or for a non-digit (the
// caller shows DownloadLimitTooLarge; the value is never cut to its low byte).
std::optional<std::uint8_t> parseDownloadLimit(std::string_view text);

using FilePassword = std::array<std::uint8_t, 4>;

// Byte i from characters 2i and 2i+1 read as hexadecimal (the digits in front of the
// first other character); 0 where the text is shorter. An empty text is no password.
FilePassword passwordFromText(std::string_view text);
// The eight upper-case hexadecimal digits of the four bytes in order.
std::string passwordToText(const FilePassword& password);
// The R&D mode check: the text must be exactly the password's eight digits.
bool passwordMatches(std::string_view typed, const FilePassword& password);

// The low 32 bits of the seconds since 1970: the CurrentTime of a limit setting.
std::uint32_t currentTimeStamp(std::chrono::system_clock::time_point now);

}  // namespace kt90
