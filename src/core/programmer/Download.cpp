#include <algorithm>
#include <array>

#include "core/chip/Cif.h"
#include "core/progfile/Checksums.h"
#include "core/progfile/UidBinding.h"
#include "core/programmer/BlockTransfer.h"
#include "core/programmer/Commands.h"
#include "core/programmer/DownloadCount.h"
#include "core/programmer/Identification.h"
#include "core/programmer/Operations.h"
#include "core/programmer/ResultCodes.h"
#include "core/programmer/SerialBlocks.h"
#include "core/programmer/StorageMap.h"
#include "core/programmer/StoredProgramRules.h"

namespace kt90 {

namespace {

// Waits for CMD_PROGRAM, in units of CKT90Driver::kWaitUnitMs.
constexpr std::uint32_t kAckWait = 20;
constexpr std::uint32_t kRunWait = 100;
constexpr std::uint32_t kCodeWait = 4;

// What must hold before anything is written: sizes the storage map can take.
bool imageStorable(OperationRun& run, const ProgramImage& image) {
  const std::uint32_t words = image.head.codeWords();
  if (!codeWordsStorable(words)) {
    run.log(TextId::CodeSizeNotStorable, words);
    return false;
  }
  if (image.calibration.count > kMaxStoredCalibrations) {
    run.log(TextId::CalibrationCountTooLarge, static_cast<unsigned>(image.calibration.count));
    return false;
  }
  return true;
}

// Head, code and trailer, each read back; then the ConfigBlock.
bool writeProgram(OperationRun& run, ProgramImage& image) {
  const std::uint32_t words = image.head.codeWords();
  const std::uint32_t blocks = words / 16;
  run.log(TextId::DownloadHeadStart);
  if (!transferVerified(run, image.head.bytes, storage::kHead)) return false;
  run.log(TextId::DownloadHeadDone);

  run.log(TextId::DownloadCodeStart);
  run.setProgressRange(2 * blocks + 2 * storage::kCifBlocks);
  if (!transferAreaVerified(run, ByteView(image.code().data(), blocks * storage::kBlockSize), storage::kCode, 0)) {
    return false;
  }
  run.log(TextId::DownloadCodeDone);

  const TrailerLayout t = trailerLayout(words, image.calibration.count, image.rollingCodeOn(), image.rolCode.bytes[0]);
  run.log(TextId::DownloadSignatureStart);
  if (!transferU16Verified(run, chipSignature(image), t.signature)) return false;
  run.log(TextId::DownloadSignatureDone);

  run.log(TextId::DownloadCalibrationStart);
  if (!transferVerified(run, image.calibration.stored(), t.calibrationHeader)) return false;
  for (std::uint32_t k = 0; k < image.calibration.count; ++k) {
    if (!transferVerified(run, image.calibrationEntries[k].stored(),
                          t.calibrationEntries + k * CalibrateInfo::kStoredSize)) {
      return false;
    }
  }
  run.log(TextId::DownloadCalibrationDone);

  run.log(TextId::DownloadOpenShortStart);
  if (!transferVerified(run, image.openShort.bytes, t.openShort)) return false;
  run.log(TextId::DownloadOpenShortDone);

  if (t.rolCode) {
    run.log(TextId::DownloadRollingStart);
    if (!transferVerified(run, ByteView(image.rolCode.bytes.data(), t.rolCodeSize), *t.rolCode)) return false;
    run.log(TextId::DownloadRollingDone);
  }

  run.log(TextId::DownloadChecksumStart);
  if (!transferU16Verified(run, fileChecksum(image), t.fileChecksum)) return false;
  run.log(TextId::DownloadChecksumDone);

  return transferVerified(run, image.config.bytes, storage::kConfigBlock);
}

bool writeCif(OperationRun& run, const CifBlock& cif, std::uint32_t codeBlocks) {
  run.log(TextId::DownloadCifStart);
  if (!transferAreaVerified(run, cif, storage::kCif, 2 * codeBlocks)) return false;
  run.log(TextId::DownloadCifDone);
  run.progress(2 * codeBlocks + 2 * storage::kCifBlocks);
  return true;
}

// A debugger-type programmer programs the chip in its socket at once, with the serial
// reserved for it when the rolling code is on.
bool programOneChip(OperationRun& run, const ProgramImage& image) {
  const bool rollingCodeOn = image.rollingCodeOn();
  CKT90Driver& driver = run.driver;
  std::array<std::uint8_t, reply::kRollingCodeSize> buffer{};
  buffer.fill(0xFF);
  if (driver.SendCmd(CMD_PROGRAM) != 1 || !driver.WaitData(buffer.data(), 1, kAckWait) ||
      buffer[0] != reply::kProgramOk) {
    run.log(TextId::SendCmdProgramFailed);
    return false;
  }
  buffer.fill(0xFF);
  if (!driver.WaitData(buffer.data(), 1, kRunWait) || buffer[0] != reply::kProgramOk) {
    // A code that never came stays 0xFF, which logs "Connect programmer fail!".
    buffer.fill(0xFF);
    if (driver.WaitData(buffer.data(), 1, kCodeWait)) run.outcome.resultCode = buffer[0];
    run.state.appendLog(resultCodeText(buffer[0], run.language));
    return false;
  }
  if (rollingCodeOn) {
    buffer.fill(0xFF);
    if (!driver.WaitData(buffer.data(), reply::kRollingCodeSize, kCodeWait)) {
      run.log(TextId::RollingCodeReplyMissing);
      return false;
    }
    run.log(TextId::RollingCodeReply, static_cast<unsigned>(buffer[0]), static_cast<unsigned>(buffer[1]),
            static_cast<unsigned>(buffer[2]), static_cast<unsigned>(buffer[3]));
    run.outcome.rollingCode = formatText("%02X%02X%02X%02X", buffer[0], buffer[1], buffer[2], buffer[3]);
    const int length = std::min<int>((image.rolCode.bytes[0] & 7) + 1, reply::kRollingCodeSize);
    return reportedSerialMatches(run, ByteView(buffer.data(), buffer.size()), length);
  }
  return true;
}

// A stand-alone programmer forgets its EEPROM state and restarts with the new program.
bool restartProgrammer(OperationRun& run) {
  std::array<std::uint8_t, eeprom::kSize> erased{};
  erased.fill(eeprom::kErased);
  // A programmer that keeps its old EEPROM state must not be reported as ready.
  if (run.driver.WriteEEPROM(erased.data(), 0, eeprom::kSize) != eeprom::kSize) {
    run.log(TextId::WriteFailure, 0u, static_cast<unsigned>(eeprom::kSize));
    return false;
  }
  if (run.driver.SendCmd(CMD_SoftReset) != 1) {
    run.log(TextId::SendCmdSoftResetFailed);
    return false;
  }
  return true;
}

}  // namespace

OperationState runDownload(OperationRun& run) {
  const ProgramToWrite& program = run.request.program;
  Reporter& reporter = run.state.reporter();
  const std::optional<CifBlock> cif = LoadCif(run.state.programDir(), program.chip.model, run.language, reporter);
  if (!cif) {
    run.log(TextId::CifReadFailed);
    return OperationState::Failed;
  }
  // What goes to the programmer: the file's program with the serial reserved for it. The
  // project file keeps the engineer's starting serial.
  ProgramImage image = program.image;
  if (!imageStorable(run, image)) return OperationState::Failed;
  // Allowed (a blank chip has its uses), but more often a file that was never opened.
  if (usedWords(image, program.chip.info.blankWord()) == 0) run.log(TextId::DownloadNoCode);

  if (!run.openDevice()) return OperationState::Failed;
  const Identity identity = identifyProgrammer(run);
  if (!matchConnectedProgrammer(image.protection.uids, identity.uid, run.language, reporter)) {
    return OperationState::Failed;
  }
  const bool limited = image.head.programLimit() != 0;
  if ((limited || program.chip.info.checkFirmwareVersion) && !checkFirmwareVersion(run, identity)) {
    return OperationState::Failed;
  }
  CountTables tables;
  std::string downloadNote;
  if (limited &&
      !checkDownloadCount(run, tables, image.protection.currentTime, image.protection.downloadLimit, downloadNote)) {
    return OperationState::Failed;
  }

  const std::string version = identity.firmwareVersion.value_or(std::string());
  const bool debuggerType = isDebuggerType(version);
  if (!reserveSerialBlock(run, image, debuggerType)) return OperationState::Failed;

  if (!writeProgram(run, image)) return OperationState::Failed;
  if (!writeCif(run, *cif, image.head.codeWords() / 16)) return OperationState::Failed;
  if (limited) {
    if (!storeCountTables(run, tables)) return OperationState::Failed;
    if (image.protection.downloadLimit != 0) run.state.appendLog(downloadNote);
  }
  // Writing computed the signature into the ConfigBlock; the project keeps it as before.
  run.outcome.writtenConfig = image.config;

  const bool done = debuggerType ? programOneChip(run, image) : restartProgrammer(run);
  return done ? OperationState::Passed : OperationState::Failed;
}

}  // namespace kt90
