#pragma once
// The fuzz targets of the program-file readers. Each harness in this folder runs one of
// them under libFuzzer; the progfile tests replay the committed corpus through the same
// functions, so every build with sanitizers re-checks the corpus.
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/progfile/BinFile.h"
#include "core/progfile/HexFile.h"
#include "core/progfile/KtIdFile.h"
#include "core/progfile/ProFile.h"
#include "core/progfile/ProjectFile.h"
#include "core/progfile/UidBinding.h"

namespace kt90::fuzz {

// A broken property is a finding, like a crash.
inline void require(bool property) {
  if (!property) std::abort();
}

class NullReporter : public Reporter {
 public:
  void log(const std::string&) override {}
  void alert(const std::string&) override {}
};

inline ProgramImage resetImage(std::uint16_t codeWords) {
  ProgramImage image;
  image.head.setFlags(0xC3);
  image.head.setVersion(0x10);
  image.head.setCodeWords(codeWords);
  image.fillCode(0x3FFF);
  image.rolCode.reset();
  return image;
}

// A payload that reads back writes the same bytes again after a second read.
inline void projectPayloadTarget(ByteView payload) {
  NullReporter reporter;
  preReadProjectHead(payload, kEnglish, reporter);
  ProgramImage image = resetImage(0x800);
  if (!readProject(payload, image, kChinese, reporter).ok) return;
  const Bytes written = writeProjectPlain(image);
  require(!written.empty());
  ProgramImage again = resetImage(0x800);
  require(readProject(written, again, kEnglish, reporter).ok);
  require(writeProjectPlain(again) == written);
}

inline void projectPlainTarget(ByteView file) { projectPayloadTarget(file); }

// Any file through the unscrambler; the payload must survive scrambling again.
inline void projectScrambledTarget(ByteView file) {
  NullReporter reporter;
  const auto payload = unscrambleProject(file, kEnglish, reporter);
  if (!payload) return;
  // Keys without bit 3 in byte 1 are written with it set, so only files with it come back
  // byte for byte.
  if (isScrambledProject(file) && (file[1] & 0x08) != 0) {
    FileKey key{};
    std::copy_n(file.begin(), key.size(), key.begin());
    for (std::size_t i = 2; i < 8; ++i) key[i] = static_cast<std::uint8_t>(key[i] - kScrambleHeadAdd);
    for (std::size_t i = 8; i < 16; ++i) key[i] = static_cast<std::uint8_t>(key[i] + kScrambleHeadSub);
    require(scrambleProject(*payload, key) == Bytes(file.begin(), file.end()));
  }
  projectPayloadTarget(*payload);
}

// What loads writes back as HEX and loads to the same program.
inline void hexTarget(ByteView text) {
  constexpr std::uint16_t kWords = 0x2000;
  NullReporter reporter;
  ProgramImage image = resetImage(kWords);
  if (!readHex(text, image, 0x3FFF, kEnglish, reporter)) return;
  const Bytes written = writeHex(image.code(), kWords, 0x3FFF);
  ProgramImage again = resetImage(kWords);
  require(readHex(written, again, 0x3FFF, kEnglish, reporter));
  require(std::equal(image.code().begin(), image.code().begin() + 2 * kWords, again.code().begin()));
}

inline void binTarget(ByteView file) {
  NullReporter reporter;
  ProgramImage image = resetImage(0x800);
  require(readBin(file, image, kEnglish, reporter) == (file.size() <= ProgramImage::kCodeBytes));
  std::array<std::uint8_t, 300> small{};
  require(readBinInto(file, small, kEnglish, reporter).has_value() == (file.size() <= small.size()));
}

class ResettingChips : public ProChipHandler {
 public:
  explicit ResettingChips(ProgramImage& image) : image_(image) {}
  bool onChipName(const std::string& name) override {
    image_ = resetImage(0x400);
    model_ = name;
    return true;
  }
  std::string onFinished() override { return model_; }

 private:
  ProgramImage& image_;
  std::string model_;
};

inline void proTarget(ByteView file) {
  NullReporter reporter;
  ProgramImage image = resetImage(0x400);
  ResettingChips chips(image);
  readPro(file, image, chips, kEnglish, reporter);
}

inline void ktIdTarget(ByteView file) {
  NullReporter reporter;
  const std::vector<std::string> rows = ktIdRowsFromFile(file);
  require(rows.size() >= kKtIdDialogRows);
  if (const auto uids = uidsFromRows(rows, kEnglish, reporter)) {
    for (const ProgrammerUid& uid : *uids) require(uidFromRowText(uidToRowText(uid)) == uid);
    matchConnectedProgrammer(*uids, uids->empty() ? std::nullopt : std::optional(uids->back()), kEnglish, reporter);
  }
  ktIdFileFromRows(rows);
}

struct Target {
  std::string_view name;  // also the corpus folder
  void (*run)(ByteView);
};

inline constexpr Target kProgfileTargets[] = {
    {"project_plain", projectPlainTarget},
    {"project_scrambled", projectScrambledTarget},
    {"hex", hexTarget},
    {"bin", binTarget},
    {"pro", proTarget},
    {"ktid", ktIdTarget},
};

}  // namespace kt90::fuzz
