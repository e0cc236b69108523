#include <algorithm>
#include <array>

#include "core/chip/Cif.h"
#include "core/progfile/Checksums.h"
#include "core/progfile/Crc16.h"
#include "core/programmer/Identification.h"
#include "core/programmer/Operations.h"
#include "core/programmer/StorageMap.h"

namespace kt90 {

namespace {

constexpr std::uint32_t kPowerSettleMs = 200;
constexpr int kStatusPolls = 50;
constexpr std::uint32_t kStatusPollMs = 10;

// A status that was not answered ends the wait: 50 more unanswered polls would only hold
// the line for 50 reply timeouts.
bool waitUntilReady(OperationRun& run) {
  run.pause(kPowerSettleMs);
  for (int poll = 0; poll < kStatusPolls; ++poll) {
    const int status = run.driver.GetStatus();
    if (status == 1) return true;
    if (status < 0) return false;
    run.pause(kStatusPollMs);
  }
  return false;
}

// The code words 0 .. words-1 in 32-byte reads; a last partial block is read whole and only
// its words inside the program are kept.
bool readCode(OperationRun& run, Bytes& code, std::uint32_t words) {
  const std::uint32_t blocks = words / 16;
  const std::uint32_t rest = words % 16;
  run.setProgressRange(blocks + (rest ? 1 : 0));
  std::array<std::uint8_t, chipmap::kReadSize> block{};
  for (std::uint32_t k = 0; k < blocks + (rest ? 1 : 0); ++k) {
    if (run.driver.ReadMcu(block.data(), 16 * k, chipmap::kReadSize) != chipmap::kReadSize) {
      run.log(TextId::ReadCodeFailed);
      return false;
    }
    const std::uint32_t bytes = k < blocks ? chipmap::kReadSize : 2 * rest;
    std::copy_n(block.begin(), bytes, code.begin() + std::ptrdiff_t{32} * k);
    run.progress(k + 1);
  }
  return true;
}

// Everything between power-on and power-off. The chip is switched off again after a
// failure too, so it is never left powered in the socket.
bool readPoweredChip(OperationRun& run, Bytes& code, std::array<std::uint8_t, 32>& options, std::uint32_t words) {
  if (!waitUntilReady(run)) {
    run.log(TextId::ReadStatusFailed);
    return false;
  }
  if (!readCode(run, code, words)) return false;
  if (run.driver.ReadMcu(options.data(), chipmap::kOptionWords, chipmap::kReadSize) != chipmap::kReadSize) {
    run.log(TextId::ReadOptionFailed);
    return false;
  }
  return true;
}

void logReadFigures(OperationRun& run, const std::array<std::uint8_t, 32>& options, ByteView code) {
  for (std::uint32_t i = 0; i < chipmap::kOptionCount; ++i) {
    run.state.appendLog(formatText(text(TextId::ReadOptionLine, run.language), chipmap::kOptionWords + i,
                                   static_cast<unsigned>(readU16(&options[2 * i]))),
                        false);
  }
  run.state.appendLog("\r\n", false);
  const unsigned signature = static_cast<unsigned>(options[2 * 9] << 8 | options[2 * 8]);
  run.logUntimed(TextId::ReadCodeChecksum, static_cast<unsigned>(crc16(code)));
  run.logUntimed(TextId::ReadChipSignature, signature);
  run.logUntimed(TextId::ReadFtSignature, static_cast<unsigned>(readU16(&options[2 * 14])));
  run.logUntimed(TextId::ReadCpSignature, static_cast<unsigned>(readU16(&options[2 * 15])));
}

}  // namespace

OperationState runReadChip(OperationRun& run) {
  WorkingState& state = run.state;
  const ProgramToWrite& program = run.request.program;
  const std::optional<CifBlock> cif = LoadCif(state.programDir(), program.chip.model, run.language, state.reporter());
  if (!cif) {
    run.log(TextId::CifReadFailed);
    return OperationState::Failed;
  }
  // Code words lie below the option words at 0x2000; more would read options as code.
  const std::uint32_t words = program.image.head.codeWords();
  if (words > chipmap::kCodeWords) {
    run.log(TextId::ReadCodeSizeTooLarge, words);
    return OperationState::Failed;
  }
  if (!run.openDevice()) return OperationState::Failed;
  identifyProgrammer(run);

  if (run.driver.SendCmd(cif->data()) != CKT90Driver::kFeatureAccepted) {
    run.log(TextId::ReadFeatureFailed);
    return OperationState::Failed;
  }
  if (!run.driver.ProPowerOn(program.chip.info.password.data())) {
    run.log(TextId::ReadPowerOnFailed);
    return OperationState::Failed;
  }
  Bytes code(ProgramImage::kCodeBytes, 0);
  std::array<std::uint8_t, 32> options{};
  if (!readPoweredChip(run, code, options, words)) {
    run.driver.ProPowerOff();
    return OperationState::Failed;
  }
  if (!run.driver.ProPowerOff()) {
    run.log(TextId::ReadPowerOffFailed);
    return OperationState::Failed;
  }

  HeadArea record = headAreaOf(program.image);
  std::copy(options.begin(), options.end(), record.begin() + 16);
  state.showCode(code);
  state.showReadSummary(record, code);
  state.clearFileName();
  logReadFigures(run, options, ByteView(code.data(), std::size_t{words} * 2));
  return OperationState::Ready;
}

}  // namespace kt90
