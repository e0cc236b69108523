#include "core/journal/StationOutbox.h"

#include <algorithm>
#include <random>

#include "core/journal/JournalSchema.h"

namespace kt90 {

namespace {

constexpr const char* kTables =
    "CREATE TABLE IF NOT EXISTS outbox_origin (origin TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS outbox_mark (server TEXT PRIMARY KEY, forwarded INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS serial_stock (id INTEGER PRIMARY KEY, series TEXT NOT NULL, next TEXT NOT NULL,"
    " last TEXT NOT NULL, step INTEGER NOT NULL);";

std::string randomName() {
  std::random_device random;
  std::string name;
  const char* digits = "0123456789abcdef";
  for (int i = 0; i < 32; ++i) name += digits[random() % 16];
  return name;
}

std::uint64_t serialsIn(std::uint64_t next, std::uint64_t last, std::uint64_t step) {
  return next > last ? 0 : (last - next) / step + 1;
}

}  // namespace

std::string serialSeriesKey(const SerialSeries& series) {
  std::string key = series.model + "|" + std::to_string(series.length) + "|";
  for (std::size_t i = 0; i < series.addresses.size(); ++i) key += (i ? "," : "") + std::to_string(series.addresses[i]);
  return key + "|" + std::to_string(series.step) + "|" + std::to_string(series.instructionKind) + "|" +
         std::to_string(series.start);
}

std::string StationOutbox::open() {
  if (db_.isOpen()) return {};
  if (std::string error = openJournalForWriting(db_, path_); !error.empty()) return path_ + ": " + error;
  std::string error = db_.exec(kTables);
  if (error.empty()) error = db_.exec("BEGIN IMMEDIATE");
  if (error.empty()) {
    sqlite::Statement read(db_, "SELECT origin FROM outbox_origin");
    if (read.step()) {
      origin_ = read.text(0);
    } else {
      origin_ = randomName();
      sqlite::Statement write(db_, "INSERT INTO outbox_origin VALUES (?)");
      write.bind(1, origin_);
      write.step();
    }
  }
  if (error.empty()) error = db_.exec("COMMIT");
  if (!error.empty()) db_ = sqlite::Connection();
  return error.empty() ? error : path_ + ": " + error;
}

std::string StationOutbox::forwarded(const std::string& server, std::int64_t& id) {
  if (std::string error = open(); !error.empty()) return error;
  sqlite::Statement start(db_, "INSERT OR IGNORE INTO outbox_mark SELECT ?, COALESCE(MAX(id), 0) FROM record");
  start.bind(1, server);
  start.step();
  sqlite::Statement read(db_, "SELECT forwarded FROM outbox_mark WHERE server = ?");
  read.bind(1, server);
  if (!read.step()) return path_ + ": " + db_.lastError();
  id = read.integer(0);
  return {};
}

std::string StationOutbox::markForwarded(const std::string& server, std::int64_t id) {
  if (std::string error = open(); !error.empty()) return error;
  // Two processes of one station may forward at once: the mark only moves on.
  sqlite::Statement write(db_, "UPDATE outbox_mark SET forwarded = MAX(forwarded, ?) WHERE server = ?");
  write.bind(1, id);
  write.bind(2, server);
  write.step();
  return write.done() ? std::string() : path_ + ": " + db_.lastError();
}

std::string StationOutbox::pending(const std::string& server, std::int64_t& count) {
  std::int64_t mark = 0;
  if (std::string error = forwarded(server, mark); !error.empty()) return error;
  sqlite::Statement read(db_, "SELECT COUNT(*) FROM record WHERE id > ?");
  read.bind(1, mark);
  if (!read.step()) return path_ + ": " + db_.lastError();
  count = read.integer(0);
  return {};
}

std::string StationOutbox::addStock(const SerialSeries& series, const SerialBlock& block) {
  if (std::string error = open(); !error.empty()) return error;
  sqlite::Statement write(db_, "INSERT INTO serial_stock (series, next, last, step) VALUES (?, ?, ?, ?)");
  write.bind(1, serialSeriesKey(series));
  write.bind(2, std::to_string(block.first));
  write.bind(3, std::to_string(block.last));
  write.bind(4, std::int64_t{std::max(series.step, 1)});
  write.step();
  return write.done() ? std::string() : path_ + ": " + db_.lastError();
}

SerialReservation StationOutbox::takeStock(const SerialSeries& series, std::uint64_t count,
                                           const SerialBlockOwner& owner) {
  SerialReservation out;
  if (std::string error = open(); !error.empty()) {
    out.error = error;
    return out;
  }
  // Under the write lock: two processes of the station never take the same serials.
  if (std::string error = db_.exec("BEGIN IMMEDIATE"); !error.empty()) {
    out.error = path_ + ": " + error;
    return out;
  }
  sqlite::Statement read(db_, "SELECT id, next, last, step FROM serial_stock WHERE series = ? ORDER BY id");
  read.bind(1, serialSeriesKey(series));
  std::uint64_t left = 0;
  while (read.step() && !out.block) {
    const std::uint64_t next = std::stoull(read.text(1));
    const std::uint64_t last = std::stoull(read.text(2));
    const auto step = static_cast<std::uint64_t>(read.integer(3));
    const std::uint64_t here = serialsIn(next, last, step);
    left += here;
    if (count == 0 || here < count) continue;
    const std::uint64_t end = next + (count - 1) * step;
    // A used-up block goes: its last serial may be the largest there is.
    sqlite::Statement take(db_, end == last ? "DELETE FROM serial_stock WHERE id = ?2"
                                            : "UPDATE serial_stock SET next = ?1 WHERE id = ?2");
    if (end != last) take.bind(1, std::to_string(end + step));
    take.bind(2, read.integer(0));
    take.step();
    if (take.done()) out.block = SerialBlock{owner, next, end};
  }
  db_.exec(out.block ? "COMMIT" : "ROLLBACK");
  if (!out.block) out.remaining = left;
  return out;
}

std::string StationOutbox::stockLeft(const SerialSeries& series, std::uint64_t& left) {
  left = 0;
  if (std::string error = open(); !error.empty()) return error;
  sqlite::Statement read(db_, "SELECT next, last, step FROM serial_stock WHERE series = ?");
  read.bind(1, serialSeriesKey(series));
  while (read.step()) {
    left +=
        serialsIn(std::stoull(read.text(0)), std::stoull(read.text(1)), static_cast<std::uint64_t>(read.integer(2)));
  }
  return read.done() ? std::string() : path_ + ": " + db_.lastError();
}

}  // namespace kt90
