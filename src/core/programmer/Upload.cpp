#include "core/app/ChipLookup.h"
#include "core/app/OperatingMode.h"
#include "core/chip/ChipDefinition.h"
#include "core/progfile/Checksums.h"
#include "core/programmer/BlockTransfer.h"
#include "core/programmer/Identification.h"
#include "core/programmer/Operations.h"
#include "core/programmer/StorageMap.h"
#include "core/programmer/StoredProgramRules.h"

namespace kt90 {

namespace {

bool readU16At(OperationRun& run, std::uint32_t address, std::uint16_t& value) {
  std::uint8_t bytes[2] = {0, 0};
  if (!readRegion(run, bytes, address)) return false;
  value = readU16(bytes);
  return true;
}

// Head and code of the stored program into `image`. A head whose code the buffer cannot
// hold, or that is not in whole blocks of 16 words, means the head area is damaged.
bool readHeadAndCode(OperationRun& run, ProgramImage& image) {
  run.log(TextId::UploadHeadStart);
  if (!readRegion(run, image.head.bytes, storage::kHead)) return false;
  run.log(TextId::UploadHeadDone);
  if (image.head.programLimit() != 0) {
    run.log(TextId::UploadProtected);
    return false;
  }
  run.log(TextId::UploadCodeStart);
  const std::uint32_t words = image.head.codeWords();
  if (words > ProgramImage::kMaxCodeWords || words % 16 != 0) {
    run.log(TextId::UploadHeadDamaged);
    return false;
  }
  const std::uint32_t blocks = words / 16;
  run.setProgressRange(2 * blocks);
  for (std::uint32_t k = 0; k < blocks; ++k) {
    const std::uint32_t offset = k * storage::kBlockSize;
    if (!readRegion(run, std::span(image.code().data() + offset, storage::kBlockSize), storage::kCode + offset)) {
      return false;
    }
    run.progress(blocks + k + 1);
  }
  run.log(TextId::UploadCodeDone);
  return true;
}

// Signature, calibration, open/short, rolling code and file checksum, each checked.
bool readTrailer(OperationRun& run, ProgramImage& image) {
  const std::uint32_t t = trailerAddress(image.head.codeWords());
  run.log(TextId::UploadSignatureStart);
  std::uint16_t stored = 0;
  if (!readU16At(run, t, stored)) return false;
  const std::uint16_t signature = chipSignature(image);
  if (stored != signature) {
    run.log(TextId::UploadSignatureMismatch, static_cast<unsigned>(stored), static_cast<unsigned>(signature));
    return false;
  }
  run.log(TextId::UploadSignatureDone);

  run.log(TextId::UploadCalibrationStart);
  std::array<std::uint8_t, CaliBrate::kSize> header{};
  if (!readRegion(run, header, t + 2)) return false;
  const CaliBrate calibration = CaliBrate::fromStored(header.data());
  if (calibration.count > kMaxStoredCalibrations) {
    run.log(TextId::CalibrationCountTooLarge, static_cast<unsigned>(calibration.count));
    return false;
  }
  image.calibration = calibration;
  const TrailerLayout layout = trailerLayout(image.head.codeWords(), calibration.count, image.rollingCodeOn(), 0);
  for (std::uint32_t k = 0; k < calibration.count; ++k) {
    std::array<std::uint8_t, CalibrateInfo::kStoredSize> entry{};
    if (!readRegion(run, entry, layout.calibrationEntries + k * CalibrateInfo::kStoredSize)) return false;
    image.calibrationEntries[k].setStored(entry.data());
  }
  run.log(TextId::UploadCalibrationDone);

  run.log(TextId::UploadOpenShortStart);
  if (!readRegion(run, image.openShort.bytes, layout.openShort)) return false;
  run.log(TextId::UploadOpenShortDone);

  std::uint32_t next = layout.openShort + OpenShort::kSize;
  if (image.rollingCodeOn()) {
    run.log(TextId::UploadRollingStart);
    if (!readRegion(run, std::span(image.rolCode.bytes.data(), 1), next)) return false;
    const std::size_t length = image.rolCode.storedLength();
    if (!readRegion(run, std::span(image.rolCode.bytes.data() + 1, length - 1), next + 1)) return false;
    next += static_cast<std::uint32_t>(length);
    run.log(TextId::UploadRollingDone);
  }

  run.log(TextId::UploadChecksumStart);
  if (!readU16At(run, next, stored)) return false;
  const std::uint16_t checksum = fileChecksum(image);
  if (stored != checksum) {
    run.log(TextId::UploadChecksumMismatch, static_cast<unsigned>(stored), static_cast<unsigned>(checksum));
    return false;
  }
  run.log(TextId::UploadChecksumDone);
  return true;
}

// Every download stores the ConfigBlock, whatever the head's version: it holds the option
// mask and words 8-15 of the stored program, which may be another chip's than the image's.
bool readConfigBlock(OperationRun& run, ProgramImage& image) {
  run.log(TextId::UploadHeadStart);
  if (!readRegion(run, image.config.bytes, storage::kConfigBlock)) return false;
  run.log(TextId::UploadHeadDone);
  return true;
}

}  // namespace

OperationState runUpload(OperationRun& run) {
  if (!run.openDevice()) return OperationState::Failed;
  identifyProgrammer(run);

  // Read into a copy of the request's program (what the programmer does not store stays
  // the project's); the working state takes it only when every step passed.
  WorkingState& state = run.state;
  ProgramImage scratch = run.request.program.image;
  if (!readHeadAndCode(run, scratch) || !readTrailer(run, scratch) || !readConfigBlock(run, scratch)) {
    return OperationState::Failed;
  }

  // The stored head names the chip; a chip without a definition would leave the program
  // under another chip's definition, so the upload stops there and changes nothing.
  const ChipLookup chip =
      lookUpChip(scratch.head, scratch.config.chipId(), state.chipList(), state.programDir(), state.language());
  ChipInfo info = run.request.program.chip.info;
  ProgramImage trial = scratch;
  RecordingReporter trialReport;
  const ChipContext context{state.programDir(), state.language(), chip.model,
                            state.operatingMode() == kServiceMarker};
  if (!LoadChipDefinition(context, false, info, trial, trialReport)) {
    for (const std::string& line : trialReport.logLines) state.appendLog(line);
    for (const std::string& alert : trialReport.alerts) state.reporter().alert(alert);
    return OperationState::Failed;
  }

  run.outcome.uploaded = UploadedProgram{std::move(scratch), info, chip};
  return OperationState::Ready;
}

}  // namespace kt90
