#pragma once
#include <cstdint>
#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace kt90::sqlite {

// One connection to a database file; closed with the object.
class Connection {
 public:
  enum class Mode { ReadOnly, ReadWriteCreate };
  Connection() = default;
  Connection(Connection&& other) noexcept : db_(other.db_) { other.db_ = nullptr; }
  Connection& operator=(Connection&& other) noexcept;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection();

  // Empty on success, else the reason.
  std::string open(const std::string& path, Mode mode);
  bool isOpen() const { return db_ != nullptr; }
  // Runs statements without results; empty on success, else the reason.
  std::string exec(const std::string& sql);
  std::string lastError() const;
  sqlite3* handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
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
  // Steps once: true while a row is there; `done` tells the end from an error.
  bool step();
  bool done() const { return done_; }

  std::string text(int column) const;
  std::int64_t integer(int column) const;
  std::optional<std::int64_t> optionalInteger(int column) const;
  double real(int column) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
  bool done_ = false;
};

}  // namespace kt90::sqlite
