#include "core/journal/postgres/PostgresConnection.h"

#include <libpq-fe.h>

#include <cstdlib>

namespace kt90::postgres {

namespace {

constexpr const char* kTimedOut = "the journal server did not answer in time";

// libpq's messages run on with hints on indented lines; a log line takes the first.
std::string trimmed(const char* message) {
  std::string text = message ? message : "";
  text = text.substr(0, text.find('\n'));
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace

Result& Result::operator=(Result&& other) noexcept {
  if (this != &other) {
    if (result_) PQclear(result_);
    result_ = other.result_;
    other.result_ = nullptr;
  }
  return *this;
}

Result::~Result() {
  if (result_) PQclear(result_);
}

int Result::rows() const { return result_ ? PQntuples(result_) : 0; }
bool Result::isNull(int row, int column) const { return PQgetisnull(result_, row, column) != 0; }
std::string Result::text(int row, int column) const { return PQgetvalue(result_, row, column); }
std::int64_t Result::integer(int row, int column) const {
  return std::strtoll(PQgetvalue(result_, row, column), nullptr, 10);
}
std::optional<std::int64_t> Result::optionalInteger(int row, int column) const {
  if (isNull(row, column)) return std::nullopt;
  return integer(row, column);
}

Connection::~Connection() { close(); }

void Connection::close() {
  if (conn_) PQfinish(conn_);
  conn_ = nullptr;
}

std::string Connection::connect(const std::string& uri, Clock::time_point deadline) {
  close();
  // connect_timeout bounds each address libpq tries; the deadline bounds the whole.
  const char* const keys[] = {"dbname", "connect_timeout", "application_name", nullptr};
  const char* const values[] = {uri.c_str(), "2", "kt90", nullptr};
  conn_ = PQconnectStartParams(keys, values, 1);
  if (!conn_) return "out of memory";
  PostgresPollingStatusType state = PGRES_POLLING_WRITING;
  if (PQstatus(conn_) == CONNECTION_BAD) state = PGRES_POLLING_FAILED;
  while (state != PGRES_POLLING_OK) {
    if (state == PGRES_POLLING_FAILED) {
      std::string reason = trimmed(PQerrorMessage(conn_));
      close();
      return reason.empty() ? "cannot connect" : reason;
    }
    if (!waitForSocket(PQsocket(conn_), state == PGRES_POLLING_WRITING, deadline)) {
      close();
      return kTimedOut;
    }
    state = PQconnectPoll(conn_);
  }
  PQsetnonblocking(conn_, 1);
  // The server's notices ("already exists, skipping") are not for the station's users.
  PQsetNoticeProcessor(
      conn_, [](void*, const char*) {}, nullptr);
  return {};
}

Outcome Connection::drop(std::string reason) {
  close();
  return Outcome{std::move(reason), {}, true};
}

Outcome Connection::exec(const std::string& sql, const std::vector<Param>& params, Result* result,
                         Clock::time_point deadline) {
  if (!conn_) return Outcome{"not connected", {}, true};
  int sent = 0;
  if (params.empty()) {
    sent = PQsendQuery(conn_, sql.c_str());
  } else {
    std::vector<const char*> values;
    for (const Param& p : params) values.push_back(p ? p->c_str() : nullptr);
    sent = PQsendQueryParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(), nullptr,
                             nullptr, 0);
  }
  if (!sent) return drop(trimmed(PQerrorMessage(conn_)));
  for (int pending = PQflush(conn_); pending != 0; pending = PQflush(conn_)) {
    if (pending < 0) return drop(trimmed(PQerrorMessage(conn_)));
    if (!waitForSocket(PQsocket(conn_), true, deadline)) return drop(kTimedOut);
  }
  Outcome outcome;
  for (;;) {
    while (PQisBusy(conn_)) {
      if (!waitForSocket(PQsocket(conn_), false, deadline)) return drop(kTimedOut);
      if (!PQconsumeInput(conn_)) return drop(trimmed(PQerrorMessage(conn_)));
    }
    PGresult* raw = PQgetResult(conn_);
    if (!raw) break;
    Result current(raw);
    const ExecStatusType status = PQresultStatus(raw);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
      if (result) *result = std::move(current);
    } else if (outcome.ok()) {
      outcome.error = trimmed(PQresultErrorMessage(raw));
      const char* state = PQresultErrorField(raw, PG_DIAG_SQLSTATE);
      outcome.sqlState = state ? state : "";
    }
  }
  if (PQstatus(conn_) == CONNECTION_BAD) return drop(outcome.ok() ? trimmed(PQerrorMessage(conn_)) : outcome.error);
  return outcome;
}

}  // namespace kt90::postgres
