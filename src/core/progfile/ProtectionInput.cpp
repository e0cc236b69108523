#include "core/progfile/ProtectionInput.h"

#include <limits>

#include "core/text/Format.h"
#include "core/text/HexDigit.h"

namespace kt90 {
namespace {

std::optional<std::uint64_t> parseDecimal(std::string_view text, std::uint64_t max) {
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > max) return std::nullopt;
  }
  return value;
}

}  // namespace

std::string filterEntryText(std::string_view text, EntryMode mode, std::size_t maxChars) {
  std::string out;
  for (char c : text) {
    if (out.size() >= maxChars) break;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const bool digit = c >= '0' && c <= '9';
    const bool hexLetter = c >= 'A' && c <= 'F';
    if (digit || (mode == EntryMode::Hexadecimal && hexLetter)) out.push_back(c);
  }
  return out;
}

std::optional<std::uint32_t> parseProgramLimit(std::string_view text) {
  const auto value = parseDecimal(text, std::numeric_limits<std::uint32_t>::max());
  return value ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*value)) : std::nullopt;
}

std::optional<std::uint8_t> parseDownloadLimit(std::string_view text) {
  const auto value = parseDecimal(text, std::numeric_limits<std::uint8_t>::max());
  return value ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(*value)) : std::nullopt;
}

FilePassword passwordFromText(std::string_view text) {
  FilePassword password{};
  for (std::size_t i = 0; i < password.size() && 2 * i < text.size(); ++i) {
    const int high = hexDigitValue(text[2 * i]);
    const int low = 2 * i + 1 < text.size() ? hexDigitValue(text[2 * i + 1]) : -1;
    if (high < 0) continue;
    password[i] = static_cast<std::uint8_t>(low < 0 ? high : high * 16 + low);
  }
  return password;
}

std::string passwordToText(const FilePassword& password) {
  std::string out;
  for (std::uint8_t b : password) out += formatText("%02X", b);
  return out;
}

bool passwordMatches(std::string_view typed, const FilePassword& password) {
  return typed == passwordToText(password);
}

std::uint32_t currentTimeStamp(std::chrono::system_clock::time_point now) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds));
}

}  // namespace kt90
