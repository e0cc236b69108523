#include "core/app/SummaryText.h"

#include <algorithm>
#include <array>

#include "core/progfile/Crc16.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

struct Header {
  std::uint8_t bitWidth;
  std::size_t codeWords;
  std::uint16_t usedWords;
  std::uint16_t codeCrc;
  std::uint16_t signature;
  std::optional<std::uint16_t> fileChecksum;
};

void appendHeader(std::string& out, const Header& h, LanguageId language) {
  out += formatText(text(TextId::SummaryWidth, language), h.bitWidth);
  out += formatText(text(TextId::SummaryCapacity, language), static_cast<int>(h.codeWords / 1024));
  out += formatText(text(TextId::SummaryCodeSize, language), h.usedWords);
  out += formatText(text(TextId::SummaryCodeCrc, language), h.codeCrc);
  out += formatText(text(TextId::SummaryChipSignature, language), h.signature);
  if (h.fileChecksum) out += formatText(text(TextId::SummaryFileChecksum, language), *h.fileChecksum);
}

// Option lines for the words whose mask bit is set: 0x2000-0x2007 first, then 0x2008-0x200F.
void appendOptions(std::string& out, std::uint16_t mask, const HeadArea& area, LanguageId language) {
  for (int i = 0; i < 16; ++i) {
    if ((mask & (1u << i)) == 0) continue;
    const std::size_t offset = i < 8 ? 16 + 2 * i : FileHead::kSize + 2 * (i - 8);
    out += formatText(text(TextId::SummaryOptionWord, language), 0x2000 + i, readU16(&area[offset]));
  }
}

void appendCalibration(std::string& out, const ProgramImage& image, bool knownNamesOnly, LanguageId language) {
  const int count = std::min<int>(image.calibration.count, CaliBrate::kMaxEntries);
  for (int k = 0; k < count; ++k) {
    if ((image.calibration.enableBits & (1u << k)) == 0) continue;
    const std::string& name = image.calibrationEntries[k].name;
    if (knownNamesOnly && !isKnownCalibrationName(name)) continue;
    const int volts = (image.calibration.voltageBits & (1u << k)) ? 3 : 5;
    out += formatText(text(TextId::SummaryCalibration, language), name.c_str(), volts);
  }
}

void appendRollingCode(std::string& out, const RolCode& rol, LanguageId language) {
  const int length = (rol.bytes[0] & 7) + 1;
  for (int i = 0; i < length; ++i) {
    out += formatText(text(TextId::SummaryRollingAddress, language), i, readU16(&rol.bytes[1 + 2 * length + 2 * i]));
    out += formatText(text(TextId::SummaryRollingData, language), i, readU16(&rol.bytes[1 + 2 * i]));
  }
}

void appendProgramLimit(std::string& out, std::uint32_t limit, LanguageId language) {
  if (limit != 0) out += formatText(text(TextId::SummaryProgramLimit, language), limit);
}

}  // namespace

SummaryText imageSummaryText(ProgramImage& image, std::uint8_t bitWidth, LanguageId language) {
  SummaryText summary;
  summary.usedWords = usedWords(image, blankWordFor(bitWidth));
  if (isKnownLanguage(language)) {
    // The check values (and the signature's side effects) belong to the header lines.
    const std::uint16_t codeCrc = crc16(image.programBytes());
    const std::uint16_t checksum = fileChecksum(image);  // computes the signature first
    const std::uint16_t signature = chipSignature(image);
    appendHeader(summary.text, {bitWidth, image.codeWords(), summary.usedWords, codeCrc, signature, checksum},
                 language);
  }
  appendOptions(summary.text, image.config.optionMask(), headAreaOf(image), language);
  appendCalibration(summary.text, image, true, language);
  if (image.rollingCodeOn()) {
    appendRollingCode(summary.text, image.rolCode, language);
    summary.codeRange = updateCodeRange(image, summary.usedWords);
  }
  appendProgramLimit(summary.text, image.head.programLimit(), language);
  return summary;
}

SummaryText readSummaryText(ProgramImage& image, HeadArea& headCopy, ByteView readCode, std::uint8_t bitWidth,
                            LanguageId language) {
  SummaryText summary;
  const std::uint16_t blank = blankWordFor(bitWidth);
  const std::size_t words = std::min(image.codeWords(), readCode.size() / 2);
  const ByteView program = readCode.first(words * 2);
  summary.usedWords = 0;
  for (std::size_t n = words; n > 0; --n) {
    if (readU16(&program[2 * (n - 1)]) != blank) {
      summary.usedWords = static_cast<std::uint16_t>(n);
      break;
    }
  }
  if (isKnownLanguage(language)) {
    const std::uint16_t codeCrc = crc16(program);
    const std::uint16_t signature = readChipSignature(headCopy, image.head, program, blank);
    appendHeader(summary.text, {bitWidth, image.codeWords(), summary.usedWords, codeCrc, signature, std::nullopt},
                 language);
  }
  appendOptions(summary.text, image.config.optionMask(), headCopy, language);
  appendCalibration(summary.text, image, false, language);
  if (headCopy[0] & headflag::kRollingCode) {
    appendRollingCode(summary.text, image.rolCode, language);
    summary.codeRange = updateCodeRange(image, summary.usedWords);
  }
  appendProgramLimit(summary.text, image.head.programLimit(), language);
  return summary;
}

}  // namespace kt90
