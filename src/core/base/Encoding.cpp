#include "core/base/Encoding.h"

#include "core/base/Gb18030.h"
#include "core/base/Utf8.h"

namespace kt90 {

bool isValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = utf8SequenceAt(text, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string escapeInvalidUtf8(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = utf8SequenceAt(text, i);
    if (len == 0) {
      const auto byte = static_cast<unsigned char>(text[i++]);
      out += "\\x";
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xF]);
      continue;
    }
    out.append(text.substr(i, len));
    i += len;
  }
  return out;
}

std::string utf16leToUtf8(ByteView bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t unit = readU16(&bytes[i]);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      const std::uint32_t low = readU16(&bytes[i + 2]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      } else {
        unit = 0xFFFD;
      }
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      unit = 0xFFFD;
    }
    appendUtf8(out, unit);
  }
  return out;
}

TextFileEncoding detectTextFileEncoding(ByteView bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return TextFileEncoding::Utf16Le;
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return TextFileEncoding::Utf8Bom;
  const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return !isValidGb18030(raw) && isValidUtf8(raw) ? TextFileEncoding::Utf8 : TextFileEncoding::Gb18030;
}

std::string decodeTextFile(ByteView bytes) {
  const auto text = [](ByteView b) { return std::string(reinterpret_cast<const char*>(b.data()), b.size()); };
  switch (detectTextFileEncoding(bytes)) {
    case TextFileEncoding::Utf16Le:
      return utf16leToUtf8(bytes.subspan(2));
    case TextFileEncoding::Utf8Bom:
      return text(bytes.subspan(3));
    case TextFileEncoding::Utf8:
      return text(bytes);
    case TextFileEncoding::Gb18030:
      break;
  }
  return gb18030ToUtf8(text(bytes));
}

std::string ansiToUtf8(std::string_view ansi) {
  bool ascii = true;
  for (char c : ansi) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  return ascii ? std::string(ansi) : gb18030ToUtf8(ansi);
}

std::string utf8ToAnsi(std::string_view utf8) {
  bool ascii = true;
  for (char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  return ascii ? std::string(utf8) : utf8ToGb18030(utf8);
}

}  // namespace kt90
