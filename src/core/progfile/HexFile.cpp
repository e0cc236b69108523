#include "core/progfile/HexFile.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

// Digits 0-9, then letters A-Z (either case) as 10-35; anything else is 0. The pair's
// value wraps at 256, so a stray letter spoils the checksum instead of being skipped.
unsigned digitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 'A' + 10);
  if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a' + 10);
  return 0;
}

std::uint8_t pairValue(std::string_view s, std::size_t at) {
  return static_cast<std::uint8_t>(16 * digitValue(s[at]) + digitValue(s[at + 1]));
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Extended-address records set the upper part of the addresses of the data that follow.
std::uint32_t extendedBase(std::uint8_t type, const std::uint8_t* data, std::size_t dataBytes) {
  if (dataBytes < 2) return 0;
  const std::uint32_t value = (static_cast<std::uint32_t>(data[0]) << 8) | data[1];
  return type == 0x04 ? value << 16 : value << 4;
}

class HexReader {
 public:
  HexReader(ProgramImage& image, std::uint16_t blank, LanguageId language, Reporter& reporter)
      : image_(image), blank_(blank), language_(language), reporter_(reporter) {}

  // One line without its line end. False stops the load: `ok_` tells how it ended.
  bool line(std::string_view raw, unsigned number) {
    while (!raw.empty() && isSpace(raw.front())) raw.remove_prefix(1);
    while (!raw.empty() && isSpace(raw.back())) raw.remove_suffix(1);
    if (raw.empty()) return true;
    if (raw.front() != ':') return fail(std::string(raw));
    std::string digits;
    for (char c : raw) {
      if (c != ':') digits.push_back(c);
    }
    const std::size_t pairs = digits.size() / 2;
    if (pairs > kMaxHexRecordBytes) return fail(formatText(say(TextId::HexLineTooLong), number));
    if (pairs < 5) return fail(formatText(say(TextId::HexIncompleteRecord), number, digits.c_str()));

    std::uint8_t record[kMaxHexRecordBytes];
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < pairs; ++i) {
      record[i] = pairValue(digits, 2 * i);
      sum += record[i];
    }
    sum += pairValue(digits, digits.size() - 2);
    if ((sum & 0xFF) != 0) return fail(formatText(say(TextId::HexCheckFailure), digits.c_str()));

    const std::size_t dataBytes = pairs - 5;
    const std::uint8_t type = record[3];
    if (type == 0x01) return stop();
    if (type == 0x02 || type == 0x04) {
      base_ = extendedBase(type, record + 4, dataBytes);
      return true;
    }
    if (type != 0x00) return true;
    if (record[0] > dataBytes) return fail(formatText(say(TextId::HexIncompleteRecord), number, digits.c_str()));
    return data(digits, record + 4, record[0]);
  }

  bool ok() const { return ok_; }
  bool ended() const { return ended_; }

 private:
  const char* say(TextId id) const { return text(id, language_); }
  bool fail(const std::string& line) {
    reporter_.log(line);
    ok_ = false;
    return false;
  }
  bool stop() {
    ok_ = true;
    ended_ = true;
    return false;
  }

  bool data(std::string_view digits, const std::uint8_t* bytes, std::size_t count) {
    const std::uint32_t address = base_ + parseAddress(digits.substr(2, 4));
    if (address > image_.codeWords() * 2) {
      image_.fillCode(blank_);
      if (base_ != 0) reporter_.log(formatText(say(TextId::HexOutsideMemory), address));
      return fail(say(TextId::HexBeyondRom));
    }
    auto& code = image_.code();
    for (std::size_t i = 0; i < count && address + i < code.size(); ++i) code[address + i] = bytes[i];
    return true;
  }

  // The address field as a hexadecimal number, ending at the first non-digit.
  static std::uint32_t parseAddress(std::string_view field) {
    std::uint32_t value = 0;
    for (char c : field) {
      const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
      if (!hex) break;
      value = value * 16 + digitValue(c);
    }
    return value;
  }

  ProgramImage& image_;
  std::uint16_t blank_;
  LanguageId language_;
  Reporter& reporter_;
  std::uint32_t base_ = 0;
  bool ok_ = true;
  bool ended_ = false;  // the end-of-file record was read
};

void appendHexByte(std::string& out, std::uint8_t b) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out.push_back(kDigits[b >> 4]);
  out.push_back(kDigits[b & 0x0F]);
}

void appendRecord(std::string& out, std::uint16_t address, ByteView data) {
  std::uint8_t sum = static_cast<std::uint8_t>(data.size() + (address >> 8) + (address & 0xFF));
  out.push_back(':');
  appendHexByte(out, static_cast<std::uint8_t>(data.size()));
  appendHexByte(out, static_cast<std::uint8_t>(address >> 8));
  appendHexByte(out, static_cast<std::uint8_t>(address));
  appendHexByte(out, 0x00);
  for (std::uint8_t b : data) {
    appendHexByte(out, b);
    sum = static_cast<std::uint8_t>(sum + b);
  }
  appendHexByte(out, static_cast<std::uint8_t>(-sum));
  out += "\r\n";
}

}  // namespace

bool readHex(ByteView text, ProgramImage& image, std::uint16_t blank, LanguageId language, Reporter& reporter) {
  image.fillCode(blank);
  HexReader reader(image, blank, language, reporter);
  const std::string_view all(reinterpret_cast<const char*>(text.data()), text.size());
  std::size_t pos = 0;
  unsigned number = 0;
  while (pos < all.size()) {
    const std::size_t end = all.find('\n', pos);
    const std::size_t stop = end == std::string_view::npos ? all.size() : end;
    if (!reader.line(all.substr(pos, stop - pos), ++number)) break;
    pos = stop + 1;
  }
  // Loaded all the same: the file may have been cut short, which the user should check.
  if (reader.ok() && !reader.ended()) reporter.log(kt90::text(TextId::HexNoEndRecord, language));
  return reader.ok();
}

Bytes writeHex(ByteView shownCode, std::size_t codeWords, std::uint16_t blank) {
  const std::size_t bytes = std::min(codeWords * 2, shownCode.size() & ~std::size_t{1});
  std::string out = ":020000040000FA\r\n";
  for (std::size_t at = 0; at < bytes; at += 16) {
    const ByteView block = shownCode.subspan(at, std::min<std::size_t>(16, bytes - at));
    bool blankBlock = true;
    for (std::size_t i = 0; i + 1 < block.size(); i += 2) blankBlock = blankBlock && readU16(&block[i]) == blank;
    if (!blankBlock) appendRecord(out, static_cast<std::uint16_t>(at), block);
  }
  out += ":00000001FF\r\n";
  return Bytes(out.begin(), out.end());
}

}  // namespace kt90
