#pragma once
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kt90::sim {

class Emulator;

// Switches that make the emulated programmer misbehave the ways a real one can.
struct Faults {
  // Answers nothing at all, as an unpowered or hung programmer.
  bool noReply = false;
  // Refuses SendCmd: every command when `refuseAll`, else the listed command bytes (the
  // first byte of a packet counts as its command).
  bool refuseAll = false;
  std::vector<std::uint8_t> refusedCommands;
  // ReadData returns this storage byte inverted (what was written stays intact).
  std::optional<std::uint32_t> corruptReadAddress;
  // Answers this many transfers, then is gone for good (a pulled cable).
  std::optional<std::uint64_t> disconnectAfter;
  // A powered chip never reports ready; a programming run finds no chip.
  bool chipNeverReady = false;
  // The chip put in the socket is of another model: its identification bytes differ.
  bool wrongChip = false;
  // The chip has a weak cell: the first code bit a run clears stays 1, so verify fails.
  bool verifyFail = false;
  // Shortest time from a request to its reply.
  std::chrono::microseconds latency{0};

  bool refuses(std::uint8_t command) const;
};

// A fault switch named on a command line: NAME or NAME=ARG.
struct FaultSpec {
  std::string_view usage;  // as written on the command line: "corrupt=ADDR"
  std::string_view help;
};
const std::vector<FaultSpec>& faultSpecs();

// Applies "NAME[=ARG]" to `emulator` ("erased" erases its storage at once). Returns an
// empty string on success, else the reason.
std::string applyFault(Emulator& emulator, std::string_view spec);

}  // namespace kt90::sim
