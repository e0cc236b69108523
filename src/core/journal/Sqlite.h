#pragma once
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

struct sqlite3;
struct sqlite3_stmt;

namespace kt90::sqlite {

// One connection to a database file; closed with the object.
class Connection {
 public:
  // Immutable reads a file nobody may change (a read-only folder or medium): no lock, no
  // -shm file.
  enum class Mode { ReadOnly, Immutable, ReadWriteCreate };
  Connection() = default;
  Connection(Connection&& other) noexcept { *this = std::move(other); }
  Connection& operator=(Connection&& other) noexcept;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection();

  // Empty on success, else the reason.
  std::string open(const std::string& path, Mode mode);
  bool isOpen() const { return db_ != nullptr; }
  // Runs statements without results; empty on success, else the reason.
  std::string exec(const std::string& sql);
  // exec, tried again until the lock deadline while SQLite reports the file busy without
  // waiting itself: it does so when a read would have to become a write (switching the
  // journal mode reads the header, then writes it), as waiting could deadlock there.
  std::string execWhileBusy(const std::string& sql);
  std::string lastError() const;
  // SQLite's primary result code of the last call (SQLITE_BUSY, SQLITE_CANTOPEN, ...).
  int lastErrorCode() const;
  std::int64_t lastInsertId() const;
  sqlite3* handle() const { return db_; }

  // Waits for other processes' locks until `deadline`, then gives up with SQLITE_BUSY:
  // one limit for a whole series of statements, not one per statement.
  void waitForLocksUntil(std::chrono::steady_clock::time_point deadline);

 private:
  static int busyHandler(void* self, int attempt);

  sqlite3* db_ = nullptr;
  std::chrono::steady_clock::time_point deadline_{};
};

// One prepared statement. Bind indexes count from 1, columns from 0.
class Statement {
 public:
  Statement(Connection& connection, const std::string& sql);
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement();

  bool ok() const { return stmt_ != nullptr; }
  void bind(int index, const std::string& value);
  void bind(int index, std::int64_t value);
  void bind(int index, const std::optional<std::int64_t>& value);
  // Serials fill all 64 bits: stored as the signed integer of the same bits.
  void bindSerial(int index, std::uint64_t value);
  void bindSerial(int index, const std::optional<std::uint64_t>& value);
  // Steps once: true while a row is there; `done` tells the end from an error.
  bool step();
  bool done() const { return done_; }

  std::string text(int column) const;
  std::int64_t integer(int column) const;
  std::optional<std::int64_t> optionalInteger(int column) const;
  std::uint64_t serial(int column) const { return static_cast<std::uint64_t>(integer(column)); }
  std::optional<std::uint64_t> optionalSerial(int column) const;
  double real(int column) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
  bool done_ = false;
};

}  // namespace kt90::sqlite
