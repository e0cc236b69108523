#include "core/progfile/ProjectScramble.h"

#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

FileKey keyFromHead(ByteView head) {
  FileKey key{};
  for (std::size_t i = 0; i < key.size(); ++i) {
    std::uint8_t b = head[i];
    if (i >= 2 && i < 8) b = static_cast<std::uint8_t>(b - kScrambleHeadAdd);
    if (i >= 8) b = static_cast<std::uint8_t>(b + kScrambleHeadSub);
    key[i] = b;
  }
  return key;
}

}  // namespace

bool isScrambledProject(ByteView file) {
  if (file.size() < 2) return false;
  const std::uint8_t version = file[1];
  return version != 0x01 && (version & 0x0F) != 0;
}

std::optional<Bytes> unscrambleProject(ByteView file, LanguageId language, Reporter& reporter) {
  if (!isScrambledProject(file)) return Bytes(file.begin(), file.end());
  if (file.size() < kScrambleHeadSize) {
    reporter.log(formatText(text(TextId::ProjectTooShort, language), static_cast<unsigned>(file.size())));
    return std::nullopt;
  }
  const FileKey key = keyFromHead(file.first(kScrambleHeadSize));
  Bytes payload(file.begin() + kScrambleHeadSize, file.end());
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] ^= key[i % key.size()];
  return payload;
}

FileKey makeFileKey(std::uint8_t version, const std::function<std::uint32_t()>& random) {
  FileKey key{};
  for (auto& b : key) b = static_cast<std::uint8_t>(random());
  key[1] = static_cast<std::uint8_t>((version & 0xF8) | 0x08 | (random() & 0x07));
  return key;
}

Bytes scrambleProject(ByteView payload, const FileKey& fileKey) {
  // Bit 3 of byte 1 keeps the file recognisable as scrambled whatever key was passed.
  FileKey key = fileKey;
  key[1] |= 0x08;
  Bytes out;
  out.reserve(kScrambleHeadSize + payload.size());
  for (std::size_t i = 0; i < key.size(); ++i) {
    std::uint8_t b = key[i];
    if (i >= 2 && i < 8) b = static_cast<std::uint8_t>(b + kScrambleHeadAdd);
    if (i >= 8) b = static_cast<std::uint8_t>(b - kScrambleHeadSub);
    out.push_back(b);
  }
  for (std::size_t i = 0; i < payload.size(); ++i) out.push_back(payload[i] ^ key[i % key.size()]);
  return out;
}

}  // namespace kt90
