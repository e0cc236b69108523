#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "core/base/Bytes.h"
#include "core/programmer/OperationRun.h"

namespace kt90 {

// The programmer's copies of the download count: the stamp ring (u32 slot pointer, then
// one u32 CurrentTime stamp per slot) and one remaining-downloads byte per slot.
struct CountTables {
  Bytes stampRing;           // 3072 bytes
  Bytes remainingDownloads;  // 1024 bytes
  CountTables();

  std::uint32_t slotPointer() const;
  void setSlotPointer(std::uint32_t pointer);
  std::uint32_t stamp(std::uint32_t slot) const;
  void setStamp(std::uint32_t slot, std::uint32_t value);
};

// What counting one download of a limited file decided.
struct CountDecision {
  bool allowed = false;
  std::uint32_t slot = 0;       // 1..767
  std::uint8_t remaining = 0;   // downloads left after this one
  bool pointerDamaged = false;  // the slot pointer read was no valid slot
  std::uint32_t pointerRead = 0;
};

// Counts one download of the file stamped `currentTime` with its `downloadLimit` (not 0)
// in the tables: a file already in a slot uses up one of its remaining downloads (refused
// when none is left); a new file takes the slot after the last one used, wrapping from 767
// back to 1. A pointer that names no slot counts as none used. Only the tables change.
CountDecision countDownload(CountTables& tables, std::uint32_t currentTime, std::uint8_t downloadLimit);

// Reads both tables from the programmer (message 25 on a failed block).
bool readCountTables(OperationRun& run, CountTables& tables);
// Writes both tables, reads them back and compares (messages 24, 25, 43).
bool storeCountTables(OperationRun& run, const CountTables& tables);

// The check before a download of a limited file: the tables are read (also when the file
// has no download limit) and, with a limit, counted. Refused with message 42. `note` gets
// message 96 when a limit is counted.
bool checkDownloadCount(OperationRun& run, CountTables& tables, std::uint32_t currentTime, std::uint8_t downloadLimit,
                        std::string& note);

}  // namespace kt90
