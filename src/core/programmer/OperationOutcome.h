#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "core/app/WorkingState.h"

namespace kt90 {

// The production counters a statistics run read.
struct ProductionCounters {
  std::uint32_t total = 0;
  std::uint32_t successes = 0;
  double yieldPercent = 0.0;
};

// A passed upload's program, and the chip its head names with that chip's definition values.
struct UploadedProgram {
  ProgramImage image;
  ChipInfo info;
  ChipLookup chip;
};

// What one device operation came to. The journal record, the CLI's JSON and table, the gang
// and the window all read these fields; a value is present only when this operation learnt it.
struct OperationOutcome {
  bool started = false;                                // false: refused by the guard (a clear log line says so)
  OperationState finalState = OperationState::Failed;  // Passed, Failed or Ready
  std::optional<std::string> firmwareVersion;          // an accepted version reply (may be empty); after a
                                                       // firmware update, the version the programmer now runs
  std::optional<std::string> previousFirmwareVersion;  // after a firmware update, the version it ran before
  std::string uid;                                     // 24 hexadecimal digits, once read
  std::optional<int> resultCode;                       // a debugger-type programmer's code of a failed chip
  std::string rollingCode;                             // the serial bytes it reported, as ROL_CODE: shows them
  std::optional<std::uint64_t> serialFirst;            // the block of serials reserved for this download
  std::optional<std::uint64_t> serialLast;
  std::optional<ConfigBlock> writtenConfig;  // a download that stored the whole program: the
                                             // ConfigBlock it wrote, signature in it, for the project
  std::optional<UploadedProgram> uploaded;   // a passed upload's program, for the project
  std::optional<ProductionCounters> counters;
  std::optional<std::uint32_t> hardwareResult;  // the self-tests' answer
  std::string reason;                           // why it failed: the last line it logged
  std::string journalLoss;                      // why its record is not in the journal; empty when it is (or it is off)
};

}  // namespace kt90
