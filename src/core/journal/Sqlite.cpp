#include "core/journal/Sqlite.h"

#include <sqlite3.h>

namespace kt90::sqlite {

Connection& Connection::operator=(Connection&& other) noexcept {
  if (this != &other) {
    sqlite3_close_v2(db_);
    db_ = other.db_;
    other.db_ = nullptr;
  }
  return *this;
}

Connection::~Connection() { sqlite3_close_v2(db_); }

std::string Connection::open(const std::string& path, Mode mode) {
  sqlite3_close_v2(db_);
  db_ = nullptr;
  const int flags = (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                    SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) == SQLITE_OK) return {};
  std::string reason = db_ ? sqlite3_errmsg(db_) : "out of memory";
  sqlite3_close_v2(db_);
  db_ = nullptr;
  return reason;
}

std::string Connection::exec(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return {};
  std::string reason = message ? message : lastError();
  sqlite3_free(message);
  return reason;
}

std::string Connection::lastError() const { return db_ ? sqlite3_errmsg(db_) : "not open"; }

Statement::Statement(Connection& connection, const std::string& sql) {
  if (sqlite3_prepare_v2(connection.handle(), sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::bind(int index, const std::string& value) {
  sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}

void Statement::bind(int index, std::int64_t value) { sqlite3_bind_int64(stmt_, index, value); }

void Statement::bind(int index, const std::optional<std::int64_t>& value) {
  if (value) {
    bind(index, *value);
  } else {
    sqlite3_bind_null(stmt_, index);
  }
}

bool Statement::step() {
  if (!stmt_) return false;
  const int rc = sqlite3_step(stmt_);
  done_ = rc == SQLITE_DONE;
  return rc == SQLITE_ROW;
}

std::string Statement::text(int column) const {
  const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return chars ? std::string(chars, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

std::optional<std::int64_t> Statement::optionalInteger(int column) const {
  if (sqlite3_column_type(stmt_, column) == SQLITE_NULL) return std::nullopt;
  return integer(column);
}

double Statement::real(int column) const { return sqlite3_column_double(stmt_, column); }

}  // namespace kt90::sqlite
