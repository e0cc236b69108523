#include "core/base/Encoding.h"

#include "core/base/Gb18030.h"

namespace kt90 {

namespace {

// The length of the well-formed UTF-8 sequence at text[i], or 0 when its bytes are not one.
std::size_t sequenceLength(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t len = 0;
  std::uint32_t cp = 0;
  if (lead < 0x80) {
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    len = 2;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    len = 3;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    len = 4;
    cp = lead & 0x07;
  } else {
    return 0;
  }
  if (i + len > text.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  const bool overlong = (len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

}  // namespace

bool isValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = sequenceLength(text, i);
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
    const std::size_t len = sequenceLength(text, i);
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

namespace {

void appendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

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
