#include "core/progfile/ProjectFile.h"

#include <algorithm>

#include "core/progfile/ByteCursor.h"
#include "core/progfile/Checksums.h"
#include "core/progfile/FileLimits.h"
#include "core/progfile/OldProjectFile.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

constexpr std::size_t kUidSize = std::tuple_size_v<ProgrammerUid>;

// Reads the current layout after the head; the steps log their own failures.
class ProjectReader {
 public:
  ProjectReader(ByteView payload, ProgramImage& image, LanguageId language, Reporter& reporter)
      : payload_(payload), in_(payload), image_(image), language_(language), reporter_(reporter) {}

  bool run() {
    in_.take(FileHead::kSize);
    const FileHead& head = image_.head;
    if (head.codeWords() > kMaxFileCodeWords)
      return fail(formatText(say(TextId::ProjectCodeTooLarge), head.codeWords()));
    expected_ = FileHead::kSize;
    return readCode() && readCalibration() && readOpenShort() && readRolCode() && readCheckSum() && readProtection() &&
           readConfig() && checkLength();
  }

 private:
  const char* say(TextId id) const { return text(id, language_); }
  bool fail(const std::string& line) {
    reporter_.log(line);
    return false;
  }
  std::optional<ByteView> take(std::size_t count, TextId failure) {
    expected_ += count;
    auto block = in_.take(count);
    if (!block) fail(say(failure));
    return block;
  }

  bool readCode() {
    const std::size_t bytes = image_.head.codeWords() * 2u;
    const auto code = take(bytes, TextId::ProjectReadCodeFailed);
    if (!code) return false;
    std::copy(code->begin(), code->end(), image_.code().begin());
    const auto identity = take(2, TextId::ProjectReadIdentityFailed);
    if (!identity) return false;
    const std::uint16_t read = readU16(identity->data());
    const std::uint16_t computed = chipSignature(image_);
    if (read != computed) return fail(formatText(say(TextId::ProjectCheckIdentityFailed), read, computed));
    return true;
  }

  bool readCalibration() {
    const auto header = take(CaliBrate::kSize, TextId::ProjectReadCaliBrateFailed);
    if (!header) return false;
    const CaliBrate calibration = CaliBrate::fromStored(header->data());
    if (calibration.count > CaliBrate::kMaxEntries) {
      return fail(formatText(say(TextId::ProjectTooManyCalibrations), unsigned{calibration.count}));
    }
    image_.calibration = calibration;
    for (int k = 0; k < calibration.count; ++k) {
      const auto entry = take(CalibrateInfo::kStoredSize, TextId::ProjectReadCalibrateInfoFailed);
      if (!entry) return false;
      image_.calibrationEntries[k].setStored(entry->data());
    }
    return true;
  }

  bool readOpenShort() {
    const auto block = take(OpenShort::kSize, TextId::ProjectReadOpenShortFailed);
    if (!block) return false;
    std::copy(block->begin(), block->end(), image_.openShort.bytes.begin());
    return true;
  }

  bool readRolCode() {
    if (!image_.rollingCodeOn()) return true;
    const auto first = take(1, TextId::ProjectReadRolCodeFirstFailed);
    if (!first) return false;
    image_.rolCode.bytes[0] = (*first)[0];
    const auto rest = take(RolCode::storedLengthFor((*first)[0]) - 1, TextId::ProjectReadRolCodeFailed);
    if (!rest) return false;
    std::copy(rest->begin(), rest->end(), image_.rolCode.bytes.begin() + 1);
    return true;
  }

  bool readCheckSum() {
    const auto block = take(2, TextId::ProjectReadCheckSumFailed);
    if (!block) return false;
    const std::uint16_t read = readU16(block->data());
    const std::uint16_t computed = fileChecksum(image_);
    if (read != computed) return fail(formatText(say(TextId::ProjectCheckCheckSumFailed), read, computed));
    return true;
  }

  bool readProtection() {
    if (image_.head.programLimit() == 0) return true;
    Protection& protection = image_.protection;
    const auto time = take(4, TextId::ProjectReadCurrentTimeFailed);
    if (!time) return false;
    protection.currentTime = readU32(time->data());
    const auto password = take(4, TextId::ProjectReadPasswordFailed);
    if (!password) return false;
    std::copy(password->begin(), password->end(), protection.filePassword.begin());
    const auto count = take(1, TextId::ProjectReadKtIdCountFailed);
    if (!count) return false;
    const std::size_t uids = (*count)[0];
    if (uids > Protection::kMaxUids) return fail(formatText(say(TextId::ProjectTooManyUids), unsigned((*count)[0])));
    const auto list = take(uids * kUidSize, TextId::ProjectReadKtIdFailed);
    if (!list) return false;
    protection.uids.resize(uids);
    for (std::size_t k = 0; k < uids; ++k) {
      std::copy_n(list->begin() + static_cast<std::ptrdiff_t>(k * kUidSize), kUidSize, protection.uids[k].begin());
    }
    // An old writer may have left the last byte out; no limit then.
    expected_ += 1;
    if (const auto limit = in_.takeU8()) protection.downloadLimit = *limit;
    return true;
  }

  bool readConfig() {
    if (image_.head.version() < kProjectVersionConfig) return true;
    expected_ += ConfigBlock::kSize;
    if (const auto block = in_.take(ConfigBlock::kSize)) {
      std::copy(block->begin(), block->end(), image_.config.bytes.begin());
    }
    return true;
  }

  bool checkLength() {
    if (payload_.size() != expected_) {
      reporter_.log(formatText(say(TextId::ProjectSizeMismatch), static_cast<unsigned>(payload_.size()),
                               static_cast<unsigned>(expected_)));
    }
    return true;
  }

  ByteView payload_;
  ByteCursor in_;
  ProgramImage& image_;
  LanguageId language_;
  Reporter& reporter_;
  std::size_t expected_ = 0;
};

bool storable(const ProgramImage& image) {
  return image.head.codeWords() <= kMaxFileCodeWords && image.calibration.count <= CaliBrate::kMaxEntries &&
         image.protection.uids.size() <= Protection::kMaxUids;
}

}  // namespace

ProjectHeadPreview preReadProjectHead(ByteView payload, LanguageId language, Reporter& reporter) {
  ProjectHeadPreview preview;
  if (payload.size() < FileHead::kSize) {
    reporter.log(text(TextId::ProjectReadHeadFailed, language));
    return preview;
  }
  preview.headRead = true;
  std::copy_n(payload.begin(), FileHead::kSize, preview.head.bytes.begin());
  // An old head keeps option words where the name field is now; its name comes from the
  // place the conversion takes it from.
  if (preview.head.version() < kProjectVersionCurrent) preview.head.setChipName(oldLayoutChipName(preview.head));
  if (preview.head.version() >= kProjectVersionConfig) {
    ConfigBlock config;
    std::copy(payload.end() - ConfigBlock::kSize, payload.end(), config.bytes.begin());
    preview.config = config;
  }
  return preview;
}

ProjectReadResult readProject(ByteView payload, ProgramImage& image, LanguageId language, Reporter& reporter) {
  ProjectReadResult result;
  image.head.setProgramLimit(0);
  image.protection.clear();
  if (payload.size() < FileHead::kSize) {
    reporter.log(text(TextId::ProjectReadHeadFailed, language));
    return result;
  }
  std::copy_n(payload.begin(), FileHead::kSize, image.head.bytes.begin());
  if (image.head.version() < kProjectVersionCurrent) {
    result.ok = readOldProject(payload, image, language, reporter);
    result.oldLayoutConverted = result.ok;
  } else {
    result.ok = ProjectReader(payload, image, language, reporter).run();
  }
  result.passwordFound = result.ok && image.protection.hasPassword();
  return result;
}

Bytes projectPayload(ProgramImage& image) {
  if (!storable(image)) return {};
  const std::uint16_t checksum = fileChecksum(image);
  const std::uint16_t signature = chipSignature(image);
  Bytes out;
  appendBytes(out, image.head.bytes);
  appendBytes(out, image.programBytes());
  appendU16(out, signature);
  appendBytes(out, image.calibration.stored());
  for (int k = 0; k < image.calibration.count; ++k) appendBytes(out, image.calibrationEntries[k].stored());
  appendBytes(out, image.openShort.bytes);
  if (image.rollingCodeOn()) appendBytes(out, ByteView(image.rolCode.bytes.data(), image.rolCode.storedLength()));
  appendU16(out, checksum);
  if (image.head.programLimit() != 0) {
    const Protection& protection = image.protection;
    appendU32(out, protection.currentTime);
    appendBytes(out, protection.filePassword);
    out.push_back(static_cast<std::uint8_t>(protection.uids.size()));
    for (const ProgrammerUid& uid : protection.uids) appendBytes(out, uid);
    out.push_back(protection.downloadLimit);
  }
  if (image.head.version() >= kProjectVersionConfig) appendBytes(out, image.config.bytes);
  return out;
}

Bytes writeProjectPlain(ProgramImage& image) { return projectPayload(image); }

Bytes writeProjectScrambled(ProgramImage& image, const FileKey& fileKey) {
  const Bytes payload = projectPayload(image);
  if (payload.empty()) return {};
  return scrambleProject(payload, fileKey);
}

Bytes writeProjectFile(ProgramImage& image, const std::function<std::uint32_t()>& random) {
  const bool plainReadable = (image.head.version() & 0x0F) == 0;
  if (image.head.programLimit() == 0 && plainReadable) return writeProjectPlain(image);
  return writeProjectScrambled(image, makeFileKey(image.head.version(), random));
}

}  // namespace kt90
