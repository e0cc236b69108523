#pragma once
#include <filesystem>
#include <string>

#include "core/base/Bytes.h"

namespace kt90::sim {

class Emulator;

// The lasting state of an emulated programmer in a file of its own:
//   "KT90SIM" 0x00, u32 format (1), then records: 4-byte tag, u32 length, bytes.
//   "VERS" version text       "UID " 12 bytes           "STOR" data storage (0x20000)
//   "EEPR" EEPROM (256)       "CNTS" u32 total, u32 successes
//   "SELF" u32 failed self-tests                         "CIF " CIF data last sent
//   "CHIP" socket chip: u8 present, u8 word width, u8 has key, 5 key bytes,
//          8192 code words, 16 option words, 8 calibration words (all u16)
//   "RUN " u8 fresh, u8 rolling overflow, 8 serial bytes, u32 chips under the limit
// All numbers little-endian. Unknown tags are skipped; a record missing keeps the
// emulator's value. Fault switches and timing are settings of a run, not state.
Bytes encodeState(const Emulator& emulator);
// Applies a state; on failure nothing is changed and the reason is returned.
std::string decodeState(ByteView bytes, Emulator& emulator);

bool saveStateFile(const Emulator& emulator, const std::filesystem::path& path);
// Empty on success, else the reason.
std::string loadStateFile(const std::filesystem::path& path, Emulator& emulator);

}  // namespace kt90::sim
