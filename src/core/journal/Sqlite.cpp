#include "core/journal/Sqlite.h"

#include <sqlite3.h>

#include <thread>

namespace kt90::sqlite {

Connection& Connection::operator=(Connection&& other) noexcept {
  if (this != &other) {
    sqlite3_close_v2(db_);
    db_ = other.db_;
    other.db_ = nullptr;
    // The busy handler knows the connection by its address.
    waitForLocksUntil(other.deadline_);
  }
  return *this;
}

Connection::~Connection() { sqlite3_close_v2(db_); }

namespace {

// A file URI of `path` with `?immutable=1`: the characters a URI gives a meaning escaped.
std::string immutableUri(const std::string& path) {
  std::string uri = "file:";
  for (const char c : path) {
    if (c == '%' || c == '?' || c == '#') {
      static const char digits[] = "0123456789ABCDEF";
      const auto byte = static_cast<unsigned char>(c);
      uri += {'%', digits[byte >> 4], digits[byte & 15]};
    } else {
      uri += c == '\\' ? '/' : c;
    }
  }
  return uri + "?immutable=1";
}

}  // namespace

std::string Connection::open(const std::string& path, Mode mode) {
  sqlite3_close_v2(db_);
  db_ = nullptr;
  int flags = SQLITE_OPEN_FULLMUTEX;
  std::string name = path;
  switch (mode) {
    case Mode::ReadOnly:
      flags |= SQLITE_OPEN_READONLY;
      break;
    case Mode::Immutable:
      flags |= SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
      name = immutableUri(path);
      break;
    case Mode::ReadWriteCreate:
      flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
      break;
  }
  if (sqlite3_open_v2(name.c_str(), &db_, flags, nullptr) == SQLITE_OK) {
    waitForLocksUntil(std::chrono::steady_clock::now() + std::chrono::seconds(5));
    return {};
  }
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

std::string Connection::execWhileBusy(const std::string& sql) {
  for (;;) {
    std::string reason = exec(sql);
    if (reason.empty() || lastErrorCode() != SQLITE_BUSY || !busyHandler(this, 0)) return reason;
  }
}

std::string Connection::lastError() const { return db_ ? sqlite3_errmsg(db_) : "not open"; }

int Connection::lastErrorCode() const { return db_ ? sqlite3_errcode(db_) & 0xFF : SQLITE_CANTOPEN; }

std::int64_t Connection::lastInsertId() const { return db_ ? sqlite3_last_insert_rowid(db_) : 0; }

void Connection::waitForLocksUntil(std::chrono::steady_clock::time_point deadline) {
  deadline_ = deadline;
  if (db_) sqlite3_busy_handler(db_, &Connection::busyHandler, this);
}

int Connection::busyHandler(void* self, int) {
  const auto* connection = static_cast<const Connection*>(self);
  if (std::chrono::steady_clock::now() >= connection->deadline_) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return 1;
}

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

void Statement::bindSerial(int index, std::uint64_t value) { bind(index, static_cast<std::int64_t>(value)); }

void Statement::bindSerial(int index, const std::optional<std::uint64_t>& value) {
  if (value) {
    bindSerial(index, *value);
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

std::optional<std::uint64_t> Statement::optionalSerial(int column) const {
  if (sqlite3_column_type(stmt_, column) == SQLITE_NULL) return std::nullopt;
  return serial(column);
}

double Statement::real(int column) const { return sqlite3_column_double(stmt_, column); }

}  // namespace kt90::sqlite
