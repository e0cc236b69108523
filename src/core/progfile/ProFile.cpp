#include "core/progfile/ProFile.h"

#include <algorithm>
#include <optional>

#include "core/base/Encoding.h"
#include "core/progfile/FileLimits.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

constexpr std::uint32_t kTypeData = 0x01000201;
constexpr std::uint32_t kTypeFlags = 0x01000221;
constexpr std::uint32_t kTypeCalibrationFlags = 0x01000222;
constexpr std::uint32_t kTypeChipName = 0x02000202;
constexpr std::uint32_t kTypeKey = 0x03000010;
constexpr std::uint32_t kTypeRollingCode = 0x0300020A;
constexpr std::uint32_t kOptionParameter = 0x4000;

constexpr std::size_t kSizeOffset = 12;
constexpr std::size_t kCountOffset = 28;
constexpr std::size_t kTableOffset = 32;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kMaxCodeBlock = kMaxProCodeWords * 2 + 1;

struct Entry {
  std::uint32_t type;
  std::uint32_t parameter;
  std::uint32_t offset;
  std::uint32_t length;
};

bool within(ByteView file, std::uint64_t offset, std::uint64_t length) {
  return offset <= file.size() && length <= file.size() - offset;
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
  return s;
}

// The zero-terminated UTF-16 name at `offset`, ending at the file's end if unterminated.
std::string chipNameAt(ByteView file, std::size_t offset) {
  std::size_t end = offset;
  while (end + 1 < file.size() && readU16(&file[end]) != 0) end += 2;
  return utf16leToUtf8(file.subspan(offset, end - offset));
}

void storeName(FileHead& head, const std::string& utf8Name) {
  const std::string ansi = utf8ToAnsi(utf8Name);
  std::array<std::uint8_t, FileHead::kNameSize> field{};
  std::copy_n(ansi.begin(), std::min(ansi.size(), field.size()), field.begin());
  head.setChipName(field);
}

class ProReader {
 public:
  ProReader(ByteView file, ProgramImage& image, ProChipHandler& handler, LanguageId language, Reporter& reporter)
      : file_(file), image_(image), handler_(handler), language_(language), reporter_(reporter) {}

  bool run() {
    const std::uint32_t count = readU32(&file_[kCountOffset]);
    if (!within(file_, kTableOffset, std::uint64_t{count} * kEntrySize)) {
      return fail(formatText(say(TextId::ProEntryTableOutside), count));
    }
    if (!withinWorkLimits(count)) return false;
    for (std::uint32_t k = 0; k < count; ++k) {
      if (!entry(k, entryAt(k))) return false;
    }
    const std::string model = handler_.onFinished();
    image_.openShort.bytes.fill(0);
    if (model.find("027") != std::string::npos) image_.head.setOptionWord(0, image_.head.optionWord(0) | 0x2000);
    return true;
  }

 private:
  const char* say(TextId id) const { return text(id, language_); }
  bool fail(const std::string& line) {
    reporter_.log(line);
    return false;
  }
  Entry entryAt(std::uint32_t index) const {
    const std::uint8_t* p = &file_[kTableOffset + std::size_t{index} * kEntrySize];
    return Entry{readU32(p), readU32(p + 4), readU32(p + 8), readU32(p + 12)};
  }
  // Counted before any entry is applied, so a flood of them costs one pass over the table.
  bool withinWorkLimits(std::uint32_t count) {
    std::size_t names = 0;
    std::size_t blocks = 0;
    for (std::uint32_t k = 0; k < count; ++k) {
      const std::uint32_t type = entryAt(k).type;
      names += type == kTypeChipName ? 1 : 0;
      blocks += type == kTypeData ? 1 : 0;
    }
    if (names <= kMaxProChipNames && blocks <= kMaxProDataBlocks) return true;
    return fail(formatText(say(TextId::ProTooManyEntries), static_cast<unsigned>(names), static_cast<unsigned>(blocks),
                           static_cast<unsigned>(kMaxProChipNames), static_cast<unsigned>(kMaxProDataBlocks)));
  }
  bool outside(std::uint32_t index) { return fail(formatText(say(TextId::ProEntryOutside), index)); }

  bool entry(std::uint32_t index, const Entry& e) {
    switch (e.type) {
      case kTypeData:
        if (!within(file_, e.offset, e.length)) return outside(index);
        return e.parameter == kOptionParameter ? options(e) : code(e);
      case kTypeFlags: {
        if (!within(file_, e.offset, 1)) return outside(index);
        const std::uint8_t flags = file_[e.offset];
        image_.head.setFlag(headflag::kBlank, (flags & 0x02) != 0);
        image_.head.setFlag(headflag::kProgram, (flags & 0x04) != 0);
        image_.head.setFlag(headflag::kVerify, (flags & 0x08) != 0);
        return true;
      }
      case kTypeCalibrationFlags: {
        const std::uint8_t bits = static_cast<std::uint8_t>(e.offset & 0x03);
        image_.calibration.enableBits = static_cast<std::uint8_t>((image_.calibration.enableBits & ~0x03) | bits);
        return true;
      }
      case kTypeChipName:
        if (!within(file_, e.offset, 0)) return outside(index);
        return chipName(chipNameAt(file_, e.offset));
      case kTypeKey:
        return key(index, e);
      case kTypeRollingCode:
        image_.head.setFlag(headflag::kRollingCode, e.offset != 0);
        return true;
      default:
        return true;
    }
  }

  bool code(const Entry& e) {
    if (e.length > kMaxCodeBlock) return fail(formatText(say(TextId::ProCodeTooLarge), e.length));
    image_.head.setCodeWords(static_cast<std::uint16_t>((e.length % 65536) / 2));
    if (!key_) return true;
    const Bytes decoded = decodeProBlock(file_.subspan(e.offset, e.length), *key_);
    std::copy(decoded.begin(), decoded.end(), image_.code().begin());
    return true;
  }

  bool options(const Entry& e) {
    if (!key_) return true;
    const Bytes decoded = decodeProBlock(file_.subspan(e.offset, std::min<std::size_t>(e.length, 16)), *key_);
    std::copy(decoded.begin(), decoded.end(), image_.head.bytes.begin() + 16);
    return true;
  }

  bool key(std::uint32_t index, const Entry& e) {
    if (e.length == 0) {
      key_.reset();
      return true;
    }
    if (!within(file_, e.offset, 16)) return outside(index);
    const std::uint32_t length = readU32(&file_[e.offset + 12]);
    if (length == 0) return fail(formatText(say(TextId::ProEmptyKey), index));
    if (!within(file_, std::uint64_t{e.offset} + 16, length)) return outside(index);
    key_ = file_.subspan(e.offset + 16, length);
    return true;
  }

  bool chipName(const std::string& raw) {
    const std::string name = replaceAll(raw, "163", "027");
    storeName(image_.head, name);
    if (!handler_.onChipName(name)) return false;
    storeName(image_.head, name);
    return true;
  }

  ByteView file_;
  ProgramImage& image_;
  ProChipHandler& handler_;
  LanguageId language_;
  Reporter& reporter_;
  std::optional<ByteView> key_;
};

}  // namespace

Bytes decodeProBlock(ByteView block, ByteView key) {
  Bytes out(block.size());
  if (key.empty()) return Bytes(block.begin(), block.end());
  std::uint8_t previous = 0;
  for (std::size_t i = 0; i < block.size(); ++i) {
    out[i] = static_cast<std::uint8_t>((block[i] ^ key[i % key.size()]) - previous);
    previous = block[i];
  }
  return out;
}

bool readPro(ByteView file, ProgramImage& image, ProChipHandler& handler, LanguageId language, Reporter& reporter) {
  if (file.size() < 3 || file[0] != 'P' || file[1] != 'R' || file[2] != 'O') {
    reporter.log(text(TextId::ProWrongFormat, language));
    return false;
  }
  if (file.size() < kSizeOffset + 4 || readU32(&file[kSizeOffset]) != file.size()) {
    reporter.log(text(TextId::ProWrongSize, language));
    return false;
  }
  if (file.size() < kTableOffset) {
    reporter.log(text(TextId::ProWrongFormat, language));
    return false;
  }
  return ProReader(file, image, handler, language, reporter).run();
}

}  // namespace kt90
