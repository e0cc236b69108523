#include <algorithm>
#include <vector>

#include "core/progfile/Crc16.h"
#include "core/progfile/FileHead.h"
#include "core/progfile/ProgramImage.h"
#include "core/programmer/Commands.h"
#include "core/programmer/StorageMap.h"
#include "sim/Emulator.h"

namespace kt90::sim {

namespace {

// An identification byte the chip must show at a chip word address (ConfigBlock ChipID and
// ChipID2 with their addresses).
struct ChipIdWord {
  std::uint8_t id = 0;
  std::uint16_t address = 0;
};

// The stored program as the programmer's own firmware reads it back before a run.
struct StoredProgram {
  std::uint8_t flags = 0;
  std::uint32_t programLimit = 0;
  std::vector<std::uint16_t> code;
  std::array<std::uint16_t, chipmap::kOptionCount> options{};
  std::uint16_t optionMask = 0;
  std::uint8_t calibrationCount = 0;
  std::uint8_t calibrationEnable = 0;
  std::array<std::array<std::uint8_t, 12>, 8> calibration{};
  Bytes rolCode;
  std::array<ChipIdWord, 2> chipIds{};
};

// Loads and checks the stored program; the result code when it cannot be used.
std::optional<std::uint8_t> loadStored(const Bytes& s, StoredProgram& p) {
  const std::uint8_t* head = s.data() + storage::kHead;
  if (std::all_of(head, head + storage::kHeadSize, [](std::uint8_t b) { return b == 0xFF; })) {
    return result::kSelfTest;  // nothing was ever downloaded
  }
  p.flags = head[0];
  const std::uint32_t words = readU16(head + 2);
  p.programLimit = readU32(head + 4);
  if (words > storage::kMaxCodeWords) return result::kLoadProgram;
  const std::uint32_t t = trailerAddress(words);
  const std::uint8_t count = s[t + 2];
  if (count > 8) return result::kLoadProgram;
  const TrailerLayout layout =
      trailerLayout(words, count, (p.flags & headflag::kRollingCode) != 0, s[t + 6 + count * 12 + 10]);

  const ByteView options0to7(head + 16, 16);
  const ByteView code(s.data() + storage::kCode, words * 2);
  if (Crc16().feed(options0to7).feed(code).value() != readU16(&s[layout.signature])) return result::kLoadProgram;
  Crc16 file;
  file.feed(ByteView(head, storage::kHeadSize)).feed(code);
  file.feed(ByteView(&s[layout.signature], layout.fileChecksum - layout.signature));
  if (file.value() != readU16(&s[layout.fileChecksum])) return result::kLoadProgram;

  p.code.resize(words);
  for (std::uint32_t w = 0; w < words; ++w) p.code[w] = readU16(&code[2 * w]);
  const std::uint8_t* config = s.data() + storage::kConfigBlock;
  for (int i = 0; i < 8; ++i) {
    p.options[i] = readU16(head + 16 + 2 * i);
    p.options[8 + i] = readU16(config + 2 * i);
  }
  p.optionMask = readU16(config + 16);
  p.chipIds = {ChipIdWord{config[29], readU16(config + 30)}, ChipIdWord{config[26], readU16(config + 27)}};
  p.calibrationCount = count;
  p.calibrationEnable = s[t + 3];
  for (int k = 0; k < count; ++k) std::copy_n(&s[layout.calibrationEntries + 12 * k], 12, p.calibration[k].begin());
  if (layout.rolCode) p.rolCode.assign(&s[*layout.rolCode], &s[*layout.rolCode] + layout.rolCodeSize);
  return std::nullopt;
}

std::size_t serialLength(const Bytes& rol) { return (rol[0] & 7u) + 1; }

bool optionUsed(const StoredProgram& p, std::size_t i) { return ((p.optionMask >> i) & 1u) != 0; }

// An ID word the chip can show: one of its option words, and not one the program sets.
bool checkable(const StoredProgram& p, const ChipIdWord& w) {
  return SocketChip::identifies(w.address) && !optionUsed(p, w.address - chipmap::kOptionWords);
}

// The operator puts in a chip of the program's model, or with `wrong` one of another model,
// whose identification bytes match neither ID of the program.
void identifyChipAs(SocketChip& chip, const StoredProgram& p, bool wrong) {
  std::uint8_t other = static_cast<std::uint8_t>(~p.chipIds[0].id);
  while (other == p.chipIds[0].id || other == p.chipIds[1].id) ++other;
  for (auto it = p.chipIds.rbegin(); it != p.chipIds.rend(); ++it) {
    if (checkable(p, *it)) chip.setIdByte(it->address, wrong ? other : it->id);
  }
}

// The chip model check: either ID found where the program expects it. A program that names
// no ID word the chip can show is not checked.
bool chipIdMatches(const SocketChip& chip, const StoredProgram& p) {
  bool checked = false;
  for (const ChipIdWord& w : p.chipIds) {
    if (!checkable(p, w)) continue;
    checked = true;
    if (chip.idByte(w.address) == w.id) return true;
  }
  return !checked;
}

// The word width the program was made for: the chip loader leaves every option word the
// chip does not use blank, all ones of the chip's width. 0 when they do not tell.
int programWordWidth(const StoredProgram& p) {
  std::optional<std::uint16_t> blank;
  for (std::size_t i = 0; i < chipmap::kOptionCount; ++i) {
    if (optionUsed(p, i)) continue;
    if (blank && *blank != p.options[i]) return 0;
    blank = p.options[i];
  }
  for (int width = 8; blank && width <= 16; ++width) {
    if (*blank == blankWordFor(width)) return width;
  }
  return 0;
}

// A program for a wider chip, or one whose words do not fit this chip's width.
bool widthMatches(const SocketChip& chip, const StoredProgram& p, const std::vector<std::uint16_t>& code) {
  const int width = programWordWidth(p);
  if (width != 0 && width != chip.wordWidth()) return false;
  const auto fits = [&chip](std::uint16_t word) { return (word & ~chip.blankWord()) == 0; };
  for (std::size_t i = 0; i < chipmap::kOptionCount; ++i) {
    if (optionUsed(p, i) && !fits(p.options[i])) return false;
  }
  return std::all_of(code.begin(), code.end(), fits);
}

// The verify-fail fault: the first bit the run clears stays 1 in the chip.
void leaveWeakCell(SocketChip& chip, const std::vector<std::uint16_t>& code) {
  for (std::size_t w = 0; w < code.size(); ++w) {
    const auto cleared = static_cast<std::uint16_t>(chip.blankWord() & ~code[w]);
    if (cleared == 0) continue;
    chip.rawCode()[w] |= static_cast<std::uint16_t>(cleared & -cleared);
    return;
  }
}

// Adds `step` to the little-endian serial number; false when it no longer fits.
bool advanceSerial(std::array<std::uint8_t, 8>& serial, std::size_t length, std::uint8_t step) {
  unsigned carry = step;
  for (std::size_t i = 0; i < length && carry != 0; ++i) {
    const unsigned sum = serial[i] + carry;
    serial[i] = static_cast<std::uint8_t>(sum);
    carry = sum >> 8;
  }
  return carry == 0;
}

}  // namespace

RunResult Emulator::programChip() {
  ++counters.total;
  RunResult run;
  auto fail = [&run](std::uint8_t code) {
    run.code = code;
    return run;
  };

  if (!keepChip) chip_.makeBlank(chipWordWidth);
  powered_ = false;
  if (selfTestFailures != 0) return fail(result::kSelfTest);
  StoredProgram p;
  if (auto error = loadStored(storage_, p)) return fail(*error);
  if (!keepChip || faults.wrongChip) identifyChipAs(chip_, p, faults.wrongChip);
  // A chip that never answers once powered is as good as none.
  if (!chip_.present || faults.chipNeverReady) return fail(result::kPlacement);
  if (!chipIdMatches(chip_, p)) return fail(result::kChipId);
  if (p.programLimit != 0 && runState.limitUsed >= p.programLimit) return fail(result::kProgramLimit);

  std::vector<std::uint16_t> code = p.code;
  run.rolling = !p.rolCode.empty();
  if (run.rolling) {
    if (runState.rollingOverflow) return fail(result::kRollingCode);
    const std::size_t length = serialLength(p.rolCode);
    if (runState.fresh) {
      runState.serial.fill(0);
      for (std::size_t i = 0; i < length; ++i) runState.serial[i] = p.rolCode[1 + 2 * i];
      runState.fresh = false;
    }
    for (std::size_t i = 0; i < length; ++i) {
      const std::uint16_t address = readU16(&p.rolCode[1 + 2 * length + 2 * i]);
      const std::uint16_t word = static_cast<std::uint16_t>((p.rolCode[2 + 2 * i] << 8) | runState.serial[i]);
      if (address < code.size()) code[address] = word;
    }
    std::copy_n(runState.serial.begin(), run.serial.size(), run.serial.begin());
  }

  if (!widthMatches(chip_, p, code)) return fail(result::kChipId);
  if (p.flags & headflag::kBlank) {
    bool blank = chip_.isBlank(code.size());
    for (std::size_t i = 0; i < chipmap::kOptionCount; ++i)
      blank = blank && (!optionUsed(p, i) || chip_.option(i) == chip_.blankWord());
    if (!blank) return fail(result::kBlankCheck);
  }
  if (p.flags & headflag::kProgram) {
    for (std::size_t w = 0; w < code.size(); ++w) chip_.burnCode(w, code[w]);
    if (faults.verifyFail) leaveWeakCell(chip_, code);
    for (std::size_t i = 0; i < chipmap::kOptionCount; ++i) {
      if (optionUsed(p, i)) chip_.burnOption(i, p.options[i]);
    }
    for (std::size_t k = 0; k < p.calibrationCount; ++k) {
      if (!((p.calibrationEnable >> k) & 1u)) continue;
      const std::uint16_t low = readU16(&p.calibration[k][4]);
      const std::uint16_t high = readU16(&p.calibration[k][6]);
      if (low > high) return fail(result::kCalibration);
      chip_.calibration[k] = static_cast<std::uint16_t>((low + high) / 2);
    }
  }
  // Whole words: a bit the chip could not hold is a difference too.
  if (p.flags & headflag::kVerify) {
    for (std::size_t w = 0; w < code.size(); ++w) {
      if (chip_.code(w) != code[w]) return fail(result::kVerify);
    }
    for (std::size_t i = 0; i < chipmap::kOptionCount; ++i) {
      if (optionUsed(p, i) && chip_.option(i) != p.options[i]) return fail(result::kConfiguration);
    }
  }

  ++counters.success;
  ++runState.limitUsed;
  if (run.rolling &&
      !advanceSerial(runState.serial, serialLength(p.rolCode), p.rolCode[1 + 4 * serialLength(p.rolCode)])) {
    runState.rollingOverflow = true;
  }
  run.ok = true;
  return run;
}

void Emulator::answerProgram() {
  const TimePoint now = clock_->now();
  const std::uint8_t ack[1] = {reply::kProgramOk};
  queueOutput(ack, now);
  const RunResult run = programChip();
  Bytes answer;
  if (run.ok) {
    answer.push_back(reply::kProgramOk);
    if (run.rolling) appendBytes(answer, run.serial);
  } else {
    answer.push_back(reply::kProgramFailed);
    answer.push_back(run.code);
  }
  queueOutput(answer, now + programTime);
}

}  // namespace kt90::sim
