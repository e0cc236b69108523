#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kt90 {

// Addresses of the programmer's data storage (WriteData/ReadData) and EEPROM, shared by
// the operations and the emulator. All values in storage are little-endian.
namespace storage {

inline constexpr std::uint32_t kSize = 0x20000;
inline constexpr std::uint32_t kBlockSize = 32;  // at most this many bytes per transfer

// The stored program: head, code, then the trailer (see TrailerLayout).
inline constexpr std::uint32_t kHead = 0x0000;
inline constexpr std::uint32_t kHeadSize = 32;
inline constexpr std::uint32_t kCode = 0x0020;
inline constexpr std::uint32_t kMaxCodeWords = 8192;
inline constexpr std::uint32_t kConfigBlock = 0x4FDE;
inline constexpr std::uint32_t kConfigBlockSize = 32;

// CIF data of the chip.
inline constexpr std::uint32_t kCif = 0x5000;
inline constexpr std::uint32_t kCifSize = 2048;
inline constexpr std::uint32_t kCifBlocks = kCifSize / kBlockSize;

// Download-count tables. The stamp ring is a u32 slot pointer (byte offset of the slot
// used last, 4..0xBFC; 0 or 0xFFFFFFFF = none) and 767 u32 stamps; the remaining table
// holds one u8 per slot (0 and 0xFF = no download left).
inline constexpr std::uint32_t kStampRing = 0x6000;
inline constexpr std::uint32_t kStampRingSize = 3072;
inline constexpr std::uint32_t kStampRingBlocks = kStampRingSize / kBlockSize;
inline constexpr std::uint32_t kStampSlots = 767;
inline constexpr std::uint32_t kSlotPointerEnd = 0xC00;  // the pointer wraps back to 4 here
inline constexpr std::uint32_t kRemainingDownloads = 0x6C00;
inline constexpr std::uint32_t kRemainingDownloadsSize = 1024;
inline constexpr std::uint32_t kRemainingDownloadsBlocks = kRemainingDownloadsSize / kBlockSize;

// Firmware area: a new image waits here for the start-up code.
inline constexpr std::uint32_t kFirmwareArea = 0x10000;
inline constexpr std::uint32_t kFirmwareMaxSize = 0x10000;
// Upgrade record of a debugger-type programmer: u32 image size, then kUpgradeMarker.
// It ends the storage, so such an image must end below it.
inline constexpr std::uint32_t kUpgradeRecord = 0x1FFFB;
inline constexpr std::uint32_t kUpgradeRecordSize = 5;
inline constexpr std::uint8_t kUpgradeMarker = 0xAA;

}  // namespace storage

namespace eeprom {

inline constexpr std::uint32_t kSize = 256;
inline constexpr std::uint8_t kErased = 0xFF;
// Upgrade record of every other programmer (same layout as in storage).
inline constexpr std::uint32_t kUpgradeRecord = 251;

}  // namespace eeprom

// Chip addresses seen through ReadMcu (word addresses).
namespace chipmap {

inline constexpr std::uint32_t kCodeWords = 0x2000;
inline constexpr std::uint32_t kOptionWords = 0x2000;
inline constexpr std::uint32_t kOptionCount = 16;
inline constexpr std::uint32_t kReadSize = 32;  // bytes per ReadMcu

}  // namespace chipmap

// Where the trailer of a stored program lies; it follows the code without gaps.
struct TrailerLayout {
  std::uint32_t signature = 0;           // u16 ChipSignature, at T
  std::uint32_t calibrationHeader = 0;   // 4-byte CaliBrate header, at T + 2
  std::uint32_t calibrationEntries = 0;  // n entries of 12 bytes
  std::uint32_t openShort = 0;           // 10 bytes
  std::optional<std::uint32_t> rolCode;  // stored length of the RolCode, when rolling code is on
  std::uint32_t rolCodeSize = 0;
  std::uint32_t fileChecksum = 0;  // u16
  std::uint32_t end = 0;           // first address after the trailer
};

// T: the code area rounded down to whole 32-byte blocks.
inline std::uint32_t trailerAddress(std::uint32_t codeWords) {
  return storage::kCode + storage::kBlockSize * (codeWords / 16);
}

// The trailer for `codeWords`, `calibrationCount` entries and, when the rolling code is on,
// a RolCode whose first byte is `rolCodeFirst`.
inline TrailerLayout trailerLayout(std::uint32_t codeWords, std::uint32_t calibrationCount, bool rollingCodeOn,
                                   std::uint8_t rolCodeFirst) {
  TrailerLayout t;
  t.signature = trailerAddress(codeWords);
  t.calibrationHeader = t.signature + 2;
  t.calibrationEntries = t.calibrationHeader + 4;
  t.openShort = t.calibrationEntries + calibrationCount * 12;
  std::uint32_t next = t.openShort + 10;
  if (rollingCodeOn) {
    t.rolCode = next;
    t.rolCodeSize = (rolCodeFirst & 7u) * 4u + 6u;
    next += t.rolCodeSize;
  }
  t.fileChecksum = next;
  t.end = next + 2;
  return t;
}

}  // namespace kt90
