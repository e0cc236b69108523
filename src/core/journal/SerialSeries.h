#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kt90 {

// A rolling-code series as the engineer set it in the program file. Two downloads share a
// series, and so the serials they may hand out, when all of these are equal.
struct SerialSeries {
  std::string model;                     // chip model
  int length = 1;                        // serial bytes, 1 ... 8
  std::vector<std::uint16_t> addresses;  // program address of serial byte i
  int step = 1;                          // by how much the programmer advances per chip
  int instructionKind = 1;               // 4 MOVLW, 1 RETLW
  std::uint64_t start = 0;               // the starting serial: byte i is serial byte i, byte 0 least significant
};

// Who a block was reserved for, as its journal row shows it.
struct SerialBlockOwner {
  std::string time;  // ISO 8601 UTC with milliseconds, as records carry it
  std::string host;
  std::string port;
  std::string programmerUid;
  std::string file;
};

// One reserved block: the serials first, first + step, ..., last.
struct SerialBlock {
  SerialBlockOwner owner;
  std::uint64_t first = 0;
  std::uint64_t last = 0;
};

struct SerialSeriesState {
  SerialSeries series;
  std::uint64_t next = 0;  // the next free serial
  bool exhausted = false;  // no serial is left (next would be past the series' end)
  std::vector<SerialBlock> blocks;
};

// What a reservation came to: the block, or why there is none (the server cannot be
// reached, the series has fewer serials left than asked: `remaining` says how many).
struct SerialReservation {
  std::optional<SerialBlock> block;
  std::string error;
  std::optional<std::uint64_t> remaining;
};

}  // namespace kt90
