#include "core/text/Format.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace kt90 {

std::string formatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (needed > 0) {
    std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    out.assign(buffer.data(), static_cast<std::size_t>(needed));
  }
  va_end(args);
  return out;
}

namespace {

// Length in bytes of the UTF-8 sequence starting with `lead`; invalid leads count as 1.
std::size_t sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

}  // namespace

std::string cutToUtf16Units(const std::string& text, std::size_t units) {
  std::size_t used = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t len = sequenceLength(static_cast<unsigned char>(text[pos]));
    const std::size_t cost = len == 4 ? 2 : 1;
    if (used + cost > units || pos + len > text.size()) break;
    used += cost;
    pos += len;
  }
  return text.substr(0, pos);
}

std::size_t utf16Length(const std::string& text) {
  std::size_t units = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t len = sequenceLength(static_cast<unsigned char>(text[pos]));
    units += len == 4 ? 2 : 1;
    pos += len;
  }
  return units;
}

}  // namespace kt90
