#include "core/progfile/OldProjectFile.h"

#include <algorithm>
#include <string>

#include "core/progfile/ByteCursor.h"
#include "core/progfile/Checksums.h"
#include "core/progfile/FileLimits.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

constexpr std::size_t kNameStart = 3;
constexpr std::size_t kNameMax = 5;

bool isAlnum(std::uint8_t c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string oldChipName(const FileHead& head) {
  std::string name;
  for (std::size_t i = kNameStart; i < kNameStart + kNameMax && isAlnum(head.bytes[i]); ++i) {
    name.push_back(static_cast<char>(head.bytes[i]));
  }
  return name;
}

void convertHead(FileHead& head, std::uint16_t codeWords) {
  auto& b = head.bytes;
  if (oldChipName(head) == "K027") {
    std::copy(b.begin() + 4, b.begin() + 7, b.begin() + 3);
    b[6] = 0;
    b[9] |= 0x20;  // bit 13 of old option word 0
  }
  head.setFlags(head.flags() | 0x80);
  head.setVersion(0x10);
  std::array<std::uint8_t, 8> oldOptions{};
  std::copy_n(b.begin() + 8, oldOptions.size(), oldOptions.begin());
  for (int i = 0; i < 8; ++i) head.setOptionWord(i, 0x3FFF);
  std::copy(oldOptions.begin(), oldOptions.end(), b.begin() + 16);
  const std::string name = oldChipName(head);
  std::fill(b.begin() + 8, b.begin() + 16, 0);
  std::copy(name.begin(), name.end(), b.begin() + 8);
  head.setCodeWords(codeWords);
  head.setProgramLimit(0);
}

}  // namespace

std::array<std::uint8_t, FileHead::kNameSize> oldLayoutChipName(const FileHead& head) {
  std::string name = oldChipName(head);
  if (name == "K027") name.erase(0, 1);
  std::array<std::uint8_t, FileHead::kNameSize> field{};
  std::copy(name.begin(), name.end(), field.begin());
  return field;
}

bool readOldProject(ByteView file, ProgramImage& image, LanguageId language, Reporter& reporter) {
  reporter.alert(text(TextId::ProjectOldVersion, language));
  ByteCursor in(file);
  const auto head = in.take(FileHead::kSize);
  if (!head) {
    reporter.log(text(TextId::ProjectReadHeadFailed, language));
    return false;
  }
  const std::size_t kilobytes = (*head)[2];
  const std::size_t codeWords = kilobytes * 512;
  if (codeWords > kMaxFileCodeWords) {
    reporter.log(formatText(text(TextId::ProjectCodeTooLarge, language), static_cast<unsigned>(codeWords)));
    return false;
  }
  const auto code = in.take(kilobytes * 1024);
  if (!code) {
    reporter.log(text(TextId::ProjectReadCodeFailed, language));
    return false;
  }
  std::copy(code->begin(), code->end(), image.code().begin());

  const std::uint32_t dataSum = oldDataChecksum(*code);
  const auto storedData = in.takeU32();
  if (!storedData) {
    reporter.log(text(TextId::OldProjectReadDataChecksumFailed, language));
    return false;
  }
  if (*storedData != dataSum) {
    reporter.log(text(TextId::OldProjectChecksumMismatch, language));
    return false;
  }
  const auto storedFile = in.takeU32();
  if (!storedFile) {
    reporter.log(text(TextId::OldProjectReadFileChecksumFailed, language));
    return false;
  }
  if (*storedFile != oldFileChecksum(*head, dataSum)) {
    reporter.log(text(TextId::OldProjectChecksumMismatch, language));
    return false;
  }
  if (image.head.flag(headflag::kRollingCode)) {
    const auto rolCode = in.take(RolCode::kSize);
    if (!rolCode) {
      reporter.log(text(TextId::OldProjectReadRolCodeFailed, language));
      return false;
    }
    std::copy(rolCode->begin(), rolCode->end(), image.rolCode.bytes.begin());
  }
  convertHead(image.head, static_cast<std::uint16_t>(codeWords));
  return true;
}

}  // namespace kt90
