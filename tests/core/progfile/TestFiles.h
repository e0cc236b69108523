#pragma once
// Program files of the formats this program only reads (old-layout project, PRO), built
// by hand for the tests and the fuzz seed corpus.
#include <array>
#include <string>
#include <vector>

#include "core/progfile/Checksums.h"

namespace kt90::testfiles {

// An old-layout file: 5-character name from byte 3, code size in KB at byte 2, option
// words 0-3 at bytes 8-15, then code, data sum, file sum and the rolling code.
inline Bytes oldFile(const char* name, std::uint8_t kilobytes, bool rolling) {
  Bytes head(32, 0);
  head[0] = static_cast<std::uint8_t>(0x43 | (rolling ? 0x20 : 0));
  head[1] = 0x01;
  head[2] = kilobytes;
  for (std::size_t i = 0; name[i] != 0 && i < 5; ++i) head[3 + i] = static_cast<std::uint8_t>(name[i]);
  const std::uint16_t options[4] = {0x1FF4, 0x3FFE, 0x0001, 0x2AAA};
  for (int i = 0; i < 4; ++i) writeU16(&head[8 + 2 * i], options[i]);
  for (std::size_t i = 16; i < 32; ++i) head[i] = 0x77;  // not used by the old layout
  Bytes code(kilobytes * 1024u);
  for (std::size_t i = 0; i < code.size(); ++i) code[i] = static_cast<std::uint8_t>(i * 7 + 1);
  const std::uint32_t dataSum = oldDataChecksum(code);
  Bytes file = head;
  appendBytes(file, code);
  appendU32(file, dataSum);
  appendU32(file, oldFileChecksum(head, dataSum));
  if (rolling) {
    for (std::uint8_t i = 0; i < 34; ++i) file.push_back(static_cast<std::uint8_t>(0x40 + i));
  }
  return file;
}

inline constexpr std::uint32_t kData = 0x01000201;
inline constexpr std::uint32_t kFlags = 0x01000221;
inline constexpr std::uint32_t kCalFlags = 0x01000222;
inline constexpr std::uint32_t kName = 0x02000202;
inline constexpr std::uint32_t kKey = 0x03000010;
inline constexpr std::uint32_t kRolling = 0x0300020A;

// Builds PRO files: fixed head, entry table, then the data blocks.
class ProBuilder {
 public:
  void entry(std::uint32_t type, std::uint32_t parameter, std::uint32_t offset, std::uint32_t length) {
    entries_.push_back({type, parameter, offset, length});
  }
  // Appends a data block and returns its offset, counted from the start of the file.
  std::uint32_t data(const Bytes& bytes) {
    const std::uint32_t at = static_cast<std::uint32_t>(dataStart() + data_.size());
    appendBytes(data_, bytes);
    return at;
  }
  std::uint32_t encoded(const Bytes& plain, const Bytes& key) {
    Bytes out(plain.size());
    std::uint8_t previous = 0;
    for (std::size_t i = 0; i < plain.size(); ++i) {
      out[i] = static_cast<std::uint8_t>((plain[i] + previous) ^ key[i % key.size()]);
      previous = out[i];
    }
    return data(out);
  }
  std::uint32_t keyRecord(const Bytes& key) {
    Bytes record(12, 0xEE);
    appendU32(record, static_cast<std::uint32_t>(key.size()));
    appendBytes(record, key);
    return data(record);
  }
  std::uint32_t utf16(const std::u16string& s) {
    Bytes out;
    for (char16_t c : s) appendU16(out, c);
    appendU16(out, 0);
    return data(out);
  }
  // Entries must all be added before data offsets are taken.
  void reserveEntries(std::size_t n) { reserved_ = n; }
  Bytes build() const {
    Bytes file = {'P', 'R', 'O'};
    file.resize(32, 0);
    writeU32(&file[28], static_cast<std::uint32_t>(entries_.size()));
    for (const auto& e : entries_) {
      appendU32(file, e[0]);
      appendU32(file, e[1]);
      appendU32(file, e[2]);
      appendU32(file, e[3]);
    }
    file.resize(dataStart(), 0);
    appendBytes(file, data_);
    writeU32(&file[12], static_cast<std::uint32_t>(file.size()));
    return file;
  }

 private:
  std::size_t dataStart() const { return 32 + 16 * reserved_; }
  std::vector<std::array<std::uint32_t, 4>> entries_;
  Bytes data_;
  std::size_t reserved_ = 0;
};

}  // namespace kt90::testfiles
