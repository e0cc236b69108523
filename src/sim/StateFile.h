#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "core/base/Bytes.h"

namespace kt90::sim {

class Emulator;

// The lasting state of an emulated programmer in a file of its own:
//   "KT90SIM" 0x00, u32 format (2), then records: 4-byte tag, u32 length, bytes.
//   "VERS" version text       "UID " 12 bytes           "STOR" data storage (0x20000)
//   "EEPR" EEPROM (256)       "CNTS" u32 total, u32 successes
//   "SELF" u32 failed self-tests                         "CIF " CIF data last sent
//   "CHIP" socket chip: u8 present, u8 word width, u8 has key, 5 key bytes,
//          8192 code words, 16 option words, 8 calibration words (all u16)
//   "RUN " u8 fresh, u8 rolling overflow, 8 serial bytes, u32 chips under the limit
//   "PAGE" u32 storage address, 256 bytes: one changed page of the storage
//   "END " u32 CRC-32 of the change it closes
// Records come in changes, each closed by an END record: the first holds every record,
// each later one what a request changed; a later record replaces an earlier one. A file
// that ends inside a change or whose check fails is refused. Format 1 (records without
// changes) is still read. All numbers little-endian. Unknown tags are skipped; a record
// missing keeps the emulator's value. Fault switches and timing are settings of a run.
struct StateRecord {
  std::string tag;
  Bytes data;
  bool operator==(const StateRecord&) const = default;
};

inline constexpr std::size_t kStatePageSize = 256;
// No state file comes near this: a compacted one is about 150 KB, and the journal is
// compacted long before.
inline constexpr std::uintmax_t kStateFileBound = 4u << 20;

// Every lasting part of `emulator`, one record each, in file order.
std::vector<StateRecord> stateRecords(const Emulator& emulator);
// The file's first eight bytes and its format number.
Bytes stateFileHeader();
// `records` as one change, closed by its END record.
Bytes encodeStateChange(const std::vector<StateRecord>& records);
// A whole state file holding one change with every record.
Bytes encodeState(const Emulator& emulator);
// Applies a state; on failure nothing is changed and the reason is returned.
std::string decodeState(ByteView bytes, Emulator& emulator);

// Writes a whole state file durably (atomic replace).
bool saveStateFile(const Emulator& emulator, const std::filesystem::path& path);
// Empty on success, else the message naming the file.
std::string loadStateFile(const std::filesystem::path& path, Emulator& emulator);

}  // namespace kt90::sim
