#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/journal/JournalRecord.h"
#include "core/journal/SerialSeries.h"
#include "core/journal/Sqlite.h"

namespace kt90 {

// The station's side of a factory journal, kept in the station's own journal file: each
// record waits here from before it is sent until the server has it, under an id of this
// file that, with the file's origin (a random name), lets the server recognise a record
// sent twice; and the serials reserved ahead for when the server is away. Calls return
// empty on success, else the reason.
class StationOutbox {
 public:
  struct Waiting {
    std::int64_t id = 0;
    JournalRecord record;
  };

  explicit StationOutbox(std::string path) : path_(std::move(path)) {}

  // Opens the journal file (made with its schema when missing) and adds the outbox's tables.
  std::string open();
  const std::string& origin() const { return origin_; }

  // Keeps `record` until done(id); `id` increases with every record kept.
  std::string keep(const JournalRecord& record, std::int64_t& id);
  std::string done(std::int64_t id);
  // The records waiting, oldest first; how many wait.
  std::string waiting(std::vector<Waiting>& records);
  std::string count(std::int64_t& count);

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
