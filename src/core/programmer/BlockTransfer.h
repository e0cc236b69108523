#pragma once
#include <cstdint>
#include <span>

#include "core/base/Bytes.h"
#include "core/programmer/OperationRun.h"

namespace kt90 {

// Transfers to and from the programmer's data storage with their log messages. The driver
// moves at most 32 bytes per call, so longer regions go in 32-byte pieces and a final
// shorter one. Every failure is logged once (24 write, 25 read, 26 or 31 compare) with the
// address and length of the piece that failed, and returns false.

// Writes `data` at `address`, reads it back and compares (a small record).
bool transferVerified(OperationRun& run, ByteView data, std::uint32_t address);
// A u16 written and read back; a difference is message 31 with the value read.
bool transferU16Verified(OperationRun& run, std::uint16_t value, std::uint32_t address);

// A multi-block area: all pieces written in address order, then all read back, then the
// whole area compared. Progress goes to `firstStep` + k + 1 after writing piece k and to
// `firstStep` + pieces + k + 1 after reading it.
bool transferAreaVerified(OperationRun& run, ByteView data, std::uint32_t address, std::uint32_t firstStep);

// Reads `into.size()` bytes from `address` in pieces (message 25 on failure).
bool readRegion(OperationRun& run, std::span<std::uint8_t> into, std::uint32_t address);
// Writes in pieces (message 24 on failure).
bool writeRegion(OperationRun& run, ByteView data, std::uint32_t address);

// Number of 32-byte pieces, the last one possibly shorter.
std::uint32_t pieceCount(std::size_t length);

}  // namespace kt90
