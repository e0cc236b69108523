#include "core/journal/StationOutbox.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "core/base/FileIo.h"
#include "core/journal/JournalRecordJson.h"
#include "core/journal/JournalSchema.h"
#include "core/journal/SerialArithmetic.h"

namespace kt90 {

namespace {

constexpr const char* kTables =
    "CREATE TABLE IF NOT EXISTS outbox_origin (origin TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS outbox_record (id INTEGER PRIMARY KEY AUTOINCREMENT, record TEXT NOT NULL);"
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
  return series.model + "|" + std::to_string(series.length) + "|" + serialAddressesText(series.addresses) + "|" +
         std::to_string(series.step) + "|" + std::to_string(series.instructionKind) + "|" +
         std::to_string(series.start);
}

std::string StationOutbox::open() {
  // Each call waits for another process of the station at most this long.
  const auto deadline = std::chrono::steady_clock::now() + kJournalLockWait;
  if (db_.isOpen()) {
    db_.waitForLocksUntil(deadline);
    return {};
  }
  std::error_code ignored;
  const std::filesystem::path file = pathFromUtf8(path_);
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
  if (std::string error = openJournalForWriting(db_, path_, deadline); !error.empty()) return path_ + ": " + error;
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

std::string StationOutbox::keep(const JournalRecord& record, std::int64_t& id) {
  if (std::string error = open(); !error.empty()) return error;
  sqlite::Statement write(db_, "INSERT INTO outbox_record (record) VALUES (?)");
  write.bind(1, journalRecordJson(record));
  write.step();
  if (!write.done()) return path_ + ": " + db_.lastError();
  id = sqlite3_last_insert_rowid(db_.handle());
  return {};
}

std::string StationOutbox::done(std::int64_t id) {
  if (std::string error = open(); !error.empty()) return error;
  sqlite::Statement remove(db_, "DELETE FROM outbox_record WHERE id = ?");
  remove.bind(1, id);
  remove.step();
  return remove.done() ? std::string() : path_ + ": " + db_.lastError();
}

std::string StationOutbox::waiting(std::vector<Waiting>& records) {
  records.clear();
  if (std::string error = open(); !error.empty()) return error;
  sqlite::Statement read(db_, "SELECT id, record FROM outbox_record ORDER BY id");
  while (read.step()) records.push_back(Waiting{read.integer(0), journalRecordFromJson(read.text(1))});
  return read.done() ? std::string() : path_ + ": " + db_.lastError();
}

std::string StationOutbox::count(std::int64_t& count) {
  count = 0;
  if (std::string error = open(); !error.empty()) return error;
  sqlite::Statement read(db_, "SELECT COUNT(*) FROM outbox_record");
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
