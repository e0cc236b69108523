#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "core/base/Bytes.h"
#include "core/journal/SerialSeries.h"
#include "core/progfile/ProgramImage.h"
#include "core/programmer/OperationRun.h"

namespace kt90 {

// The rolling-code series the engineer set in `image` for chip `model`.
SerialSeries serialSeries(const ProgramImage& image, const std::string& model);

// The serial of `length` serial bytes, byte 0 least significant.
std::uint64_t serialFromBytes(ByteView bytes, int length);

// `rol` with its serial bytes set to `serial` (the bytes past the length stay).
void setSerial(RolCode& rol, std::uint64_t serial);

// How many serials a download needs: one for a debugger-type programmer, the program limit
// of a stand-alone one, else the request's count; none when nothing says.
std::optional<std::uint64_t> serialsNeeded(const ProgramImage& image, bool debuggerType,
                                           std::optional<std::uint64_t> requested);

// Reserves the download's block in the request's ledger for the identified programmer and
// writes its first serial into `image`; logs why when it cannot. Without a ledger the file's
// serial stays and one warning says so. false: the download must not go on.
bool reserveSerialBlock(OperationRun& run, ProgramImage& image, bool debuggerType);

// A debugger-type programmer's reported serial against the reserved one; logs a mismatch.
bool reportedSerialMatches(OperationRun& run, ByteView reported, int length);

}  // namespace kt90
