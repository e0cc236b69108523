#include "core/programmer/DownloadCount.h"

#include "core/programmer/BlockTransfer.h"
#include "core/programmer/StorageMap.h"

namespace kt90 {

namespace {

constexpr std::uint32_t kNoSlot = 0xFFFFFFFFu;

bool validPointer(std::uint32_t pointer) {
  return pointer >= 4 && pointer < storage::kSlotPointerEnd && pointer % 4 == 0;
}

// Message 43 names the storage address of the first byte that came back different.
bool compareTable(OperationRun& run, const Bytes& written, const Bytes& read, std::uint32_t address) {
  for (std::size_t i = 0; i < written.size(); ++i) {
    if (written[i] != read[i]) {
      run.log(TextId::CountCheckFailure, static_cast<unsigned>(address + i), static_cast<unsigned>(written[i]),
              static_cast<unsigned>(read[i]));
      return false;
    }
  }
  return true;
}

bool storeTable(OperationRun& run, const Bytes& table, std::uint32_t address) {
  if (!writeRegion(run, table, address)) return false;
  Bytes back(table.size(), 0);
  if (!readRegion(run, back, address)) return false;
  return compareTable(run, table, back, address);
}

}  // namespace

CountTables::CountTables()
    : stampRing(storage::kStampRingSize, 0), remainingDownloads(storage::kRemainingDownloadsSize, 0) {}

std::uint32_t CountTables::slotPointer() const { return readU32(stampRing.data()); }
void CountTables::setSlotPointer(std::uint32_t pointer) { writeU32(stampRing.data(), pointer); }
std::uint32_t CountTables::stamp(std::uint32_t slot) const { return readU32(&stampRing[4 * slot]); }
void CountTables::setStamp(std::uint32_t slot, std::uint32_t value) { writeU32(&stampRing[4 * slot], value); }

CountDecision countDownload(CountTables& tables, std::uint32_t currentTime, std::uint8_t downloadLimit) {
  CountDecision decision;
  for (std::uint32_t slot = 1; slot <= storage::kStampSlots; ++slot) {
    if (tables.stamp(slot) != currentTime) continue;
    decision.slot = slot;
    const std::uint8_t left = tables.remainingDownloads[slot];
    if (left == 0 || left == 0xFF) return decision;
    decision.remaining = static_cast<std::uint8_t>(left - 1);
    tables.remainingDownloads[slot] = decision.remaining;
    decision.allowed = true;
    return decision;
  }

  decision.pointerRead = tables.slotPointer();
  std::uint32_t pointer = decision.pointerRead == kNoSlot ? 0 : decision.pointerRead;
  if (pointer != 0 && !validPointer(pointer)) {
    decision.pointerDamaged = true;
    pointer = 0;
  }
  pointer += 4;
  if (pointer >= storage::kSlotPointerEnd) pointer = 4;
  tables.setSlotPointer(pointer);
  decision.slot = pointer / 4;
  tables.setStamp(decision.slot, currentTime);
  // A limit of 0 never gets here; the u8 keeps the count within the byte either way.
  decision.remaining = static_cast<std::uint8_t>(downloadLimit == 0 ? 0 : downloadLimit - 1);
  tables.remainingDownloads[decision.slot] = decision.remaining;
  decision.allowed = true;
  return decision;
}

bool readCountTables(OperationRun& run, CountTables& tables) {
  return readRegion(run, tables.stampRing, storage::kStampRing) &&
         readRegion(run, tables.remainingDownloads, storage::kRemainingDownloads);
}

bool storeCountTables(OperationRun& run, const CountTables& tables) {
  return storeTable(run, tables.stampRing, storage::kStampRing) &&
         storeTable(run, tables.remainingDownloads, storage::kRemainingDownloads);
}

bool checkDownloadCount(OperationRun& run, CountTables& tables, std::uint32_t currentTime, std::uint8_t downloadLimit,
                        std::string& note) {
  if (!readCountTables(run, tables)) return false;
  if (downloadLimit == 0) return true;
  const CountDecision decision = countDownload(tables, currentTime, downloadLimit);
  if (decision.pointerDamaged) run.log(TextId::CountTablePointerDamaged, decision.pointerRead);
  if (!decision.allowed) {
    run.log(TextId::DownloadLimitReached, static_cast<int>(downloadLimit));
    return false;
  }
  note = formatText(text(TextId::DownloadNote, run.language), static_cast<int>(downloadLimit),
                    static_cast<int>(decision.remaining));
  return true;
}

}  // namespace kt90
