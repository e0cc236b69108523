#pragma once
#include <cstdint>
#include <string>

#include "core/journal/SerialSeries.h"
#include "core/journal/Sqlite.h"

namespace kt90 {

// The station's side of a factory journal, kept in the station's own journal file next to
// its records: which of them a server already has, the file's origin (a random name the
// server tells stations apart by, whatever they are called), and the serials reserved
// ahead for when the server is away. Calls return empty on success, else the reason.
class StationOutbox {
 public:
  explicit StationOutbox(std::string path) : path_(std::move(path)) {}

  // Opens the journal file (which must have its schema) and adds the outbox's tables.
  std::string open();
  const std::string& origin() const { return origin_; }

  // The last record id `server` has. A server new to this file starts at the newest
  // record: the journal's history before it stays local.
  std::string forwarded(const std::string& server, std::int64_t& id);
  std::string markForwarded(const std::string& server, std::int64_t id);
  // How many records wait for `server`.
  std::string pending(const std::string& server, std::int64_t& count);

  // Keeps `block` of `series` as stock; takes `count` serials from one stock block.
  std::string addStock(const SerialSeries& series, const SerialBlock& block);
  SerialReservation takeStock(const SerialSeries& series, std::uint64_t count, const SerialBlockOwner& owner);
  // Serials left in stock for `series`.
  std::string stockLeft(const SerialSeries& series, std::uint64_t& left);

 private:
  std::string path_;
  std::string origin_;
  sqlite::Connection db_;
};

// The text that names a series in ledgers: equal texts, shared serials.
std::string serialSeriesKey(const SerialSeries& series);

}  // namespace kt90
