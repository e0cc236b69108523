#include "core/chip/IniDocument.h"

namespace kt90 {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string lowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

IniDocument::IniDocument(std::string_view text) {
  Section* current = nullptr;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::string_view name = trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      // A repeated section header starts a section nobody can read: the first wins.
      const auto [at, added] = sections_.try_emplace(lowerAscii(name));
      current = added ? &at->second : nullptr;
      continue;
    }
    if (!current) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = trim(line.substr(0, eq));
    std::string_view value = trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    current->try_emplace(lowerAscii(key), value);
  }
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view key) const {
  const auto s = sections_.find(lowerAscii(section));
  if (s == sections_.end()) return std::nullopt;
  const auto e = s->second.find(lowerAscii(key));
  if (e == s->second.end()) return std::nullopt;
  return e->second;
}

std::int32_t parseProfileInt(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  std::uint32_t value = 0;
  if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    for (char c : s) {
      int digit;
      if (c >= '0' && c <= '9')
        digit = c - '0';
      else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
      else
        break;
      value = value * 16u + static_cast<std::uint32_t>(digit);
    }
  } else {
    for (char c : s) {
      if (c < '0' || c > '9') break;
      value = value * 10u + static_cast<std::uint32_t>(c - '0');
    }
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

}  // namespace kt90
