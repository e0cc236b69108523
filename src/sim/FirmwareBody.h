#pragma once
#include <string>

#include "core/base/Bytes.h"
#include "core/progfile/FirmwareImage.h"

namespace kt90::sim {

// A plausible application of `bodySize` bytes for a FirmwareImage: a vector table, Thumb
// code and a table of texts naming `version`. Deterministic, so the shipped images can be
// made again.
Bytes makeFirmwareBody(const std::string& version, std::size_t bodySize);

}  // namespace kt90::sim
