#pragma once
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

namespace kt90::postgres {

using Clock = std::chrono::steady_clock;

// The rows of one statement; freed with the object.
class Result {
 public:
  Result() = default;
  explicit Result(pg_result* result) : result_(result) {}
  Result(Result&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
  Result& operator=(Result&& other) noexcept;
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;
  ~Result();

  int rows() const;
  bool isNull(int row, int column) const;
  std::string text(int row, int column) const;
  std::int64_t integer(int row, int column) const;
  std::optional<std::int64_t> optionalInteger(int row, int column) const;

 private:
  pg_result* result_ = nullptr;
};

using Param = std::optional<std::string>;  // nullopt is SQL NULL

// What a statement came to: empty `error` on success; `sqlState` tells a conflict worth
// retrying (serialization failure, deadlock) from other errors; `lost` says the connection
// was closed (timeout, server gone) and must be opened again.
struct Outcome {
  std::string error;
  std::string sqlState;
  bool lost = false;
  bool ok() const { return error.empty(); }
};

// One libpq connection that never waits past a deadline: connecting, sending and reading
// all poll the socket, and a server that does not answer in time is dropped, its open
// transaction rolled back by the server when the socket closes.
class Connection {
 public:
  Connection() = default;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection();

  // Empty on success, else libpq's reason (a wrong password reads as such).
  std::string connect(const std::string& uri, Clock::time_point deadline);
  bool isOpen() const { return conn_ != nullptr; }
  void close();

  // Runs `sql`: several statements when `params` is empty, else one with $1, $2 ...
  Outcome exec(const std::string& sql, const std::vector<Param>& params, Result* result, Clock::time_point deadline);
  Outcome exec(const std::string& sql, Clock::time_point deadline) { return exec(sql, {}, nullptr, deadline); }

 private:
  Outcome drop(std::string reason);

  pg_conn* conn_ = nullptr;
};

// Waits until `socket` can be read (or written), at most until `deadline`; false when the
// deadline passed or the wait failed. One file per platform.
bool waitForSocket(int socket, bool forWriting, Clock::time_point deadline);

}  // namespace kt90::postgres
