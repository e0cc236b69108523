#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/journal/SerialSeries.h"

namespace kt90 {

// The greatest serial of `length` bytes: 256^length - 1 (all 64 bits for 8 bytes).
std::uint64_t greatestSerial(int length);

// Why `series` cannot hand out distinct serials (a length outside 1 ... 8, a step below 1,
// a start past the end), or empty.
std::string seriesProblem(const SerialSeries& series);

// How many serials are left from `next` to the end of the series; saturates at the
// greatest 64-bit count (a fresh 8-byte series with step 1 holds one more).
std::uint64_t serialsLeft(const SerialSeries& series, std::uint64_t next, bool exhausted);

// Where a series stands: its next free serial, or none left.
struct SerialPosition {
  std::uint64_t next = 0;
  bool exhausted = false;
};

// A block of `count` serials from `at`: the reservation (its first and last, or why not,
// with how many remain) and the position after it. Every store plans with this.
struct SerialPlan {
  SerialReservation reservation;
  SerialPosition after;
};
SerialPlan planSerialBlock(const SerialSeries& series, SerialPosition at, std::uint64_t count);

// The addresses as the ledger keeps them ("0x0010,0x0011") and back.
std::string serialAddressesText(const std::vector<std::uint16_t>& addresses);
std::vector<std::uint16_t> serialAddressesFromText(const std::string& text);

}  // namespace kt90
