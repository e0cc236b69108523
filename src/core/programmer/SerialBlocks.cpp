#include "core/programmer/SerialBlocks.h"

#include <chrono>

#include "core/journal/JournalLocation.h"
#include "core/journal/JournalStore.h"
#include "core/journal/JournalTime.h"
#include "core/progfile/FileHead.h"

namespace kt90 {

namespace {

// The RolCode record: a control byte whose low bits are the length - 1, then per serial
// byte its value and instruction kind, then the addresses, then the step.
int serialLength(const RolCode& rol) { return (rol.bytes[0] & 7) + 1; }

}  // namespace

SerialSeries serialSeries(const ProgramImage& image, const std::string& model) {
  const RolCode& rol = image.rolCode;
  const int length = serialLength(rol);
  SerialSeries series;
  series.model = model;
  series.length = length;
  std::uint64_t start = 0;
  for (int i = 0; i < length; ++i) {
    series.addresses.push_back(readU16(&rol.bytes[1 + 2 * length + 2 * i]));
    start |= std::uint64_t{rol.bytes[1 + 2 * i]} << (8 * i);
  }
  series.instructionKind = rol.bytes[2];
  series.step = rol.bytes[1 + 4 * length];
  series.start = start;
  return series;
}

std::uint64_t serialFromBytes(ByteView bytes, int length) {
  std::uint64_t serial = 0;
  for (int i = 0; i < length && i < static_cast<int>(bytes.size()); ++i)
    serial |= std::uint64_t{bytes[i]} << (8 * i);
  return serial;
}

void setSerial(RolCode& rol, std::uint64_t serial) {
  for (int i = 0; i < serialLength(rol); ++i) rol.bytes[1 + 2 * i] = static_cast<std::uint8_t>(serial >> (8 * i));
}

std::optional<std::uint64_t> serialsNeeded(const ProgramImage& image, bool debuggerType,
                                           std::optional<std::uint64_t> requested) {
  if (debuggerType) return 1;
  if (image.head.programLimit() != 0) return image.head.programLimit();
  if (requested && *requested != 0) return requested;
  return std::nullopt;
}

bool reserveSerialBlock(OperationRun& run, ProgramImage& image, bool debuggerType) {
  if (!image.rollingCodeOn()) return true;
  JournalStore* ledger = run.request.serialLedger;
  if (!ledger) {
    run.log(TextId::SerialsNotReserved);
    return true;
  }
  const std::optional<std::uint64_t> count = serialsNeeded(image, debuggerType, run.request.serialCount);
  if (!count) {
    run.log(TextId::SerialCountMissing);
    return false;
  }
  const SerialBlockOwner owner{journalTime(std::chrono::system_clock::now()), stationName(), run.request.port,
                               run.outcome.uid, run.request.programFile};
  const SerialReservation reservation =
      ledger->reserveSerials(serialSeries(image, run.request.program.chip.model), *count, owner);
  if (!reservation.block) {
    if (reservation.remaining) {
      run.log(TextId::SerialBlockTooLarge, static_cast<unsigned long long>(*reservation.remaining),
              static_cast<unsigned long long>(*count));
    } else {
      run.log(TextId::SerialBlockNotReserved, reservation.error.c_str());
    }
    return false;
  }
  run.outcome.serialFirst = reservation.block->first;
  run.outcome.serialLast = reservation.block->last;
  setSerial(image.rolCode, reservation.block->first);
  run.log(TextId::SerialBlockReserved, static_cast<unsigned long long>(reservation.block->first),
          static_cast<unsigned long long>(reservation.block->last));
  return true;
}

bool reportedSerialMatches(OperationRun& run, ByteView reported, int length) {
  if (!run.outcome.serialFirst) return true;
  const std::uint64_t serial = serialFromBytes(reported, length);
  if (serial == *run.outcome.serialFirst) return true;
  run.log(TextId::SerialReportedMismatch, static_cast<unsigned long long>(serial),
          static_cast<unsigned long long>(*run.outcome.serialFirst));
  return false;
}

}  // namespace kt90
