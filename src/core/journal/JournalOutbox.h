#pragma once
#include <cstdint>
#include <string>

#include "core/journal/SerialSeries.h"

namespace kt90 {

// What a journal on a server offers beside JournalStore: the records its station keeps
// while the server is away, and serials reserved ahead for that time. Calls return empty
// on success, else the reason.
class JournalOutbox {
 public:
  virtual ~JournalOutbox() = default;
  // Forwards every waiting record now; `forwarded` counts those sent.
  virtual std::string sync(std::int64_t& forwarded) = 0;
  // How many records wait.
  virtual std::string pending(std::int64_t& count) = 0;
  // Reserves a block on the server and keeps it as the station's stock.
  virtual SerialReservation reserveStock(const SerialSeries& series, std::uint64_t count,
                                         const SerialBlockOwner& owner) = 0;
  // Serials of `series` the station holds in stock.
  virtual std::string stockLeft(const SerialSeries& series, std::uint64_t& left) = 0;
};

}  // namespace kt90
