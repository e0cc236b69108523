#include "core/journal/postgres/PostgresJournalStore.h"

#include <algorithm>
#include <limits>

#include "core/journal/SerialArithmetic.h"
#include "core/journal/postgres/PostgresLocation.h"
#include "core/journal/postgres/PostgresSchema.h"

namespace kt90 {

namespace {

using postgres::Clock;
using postgres::Outcome;
using postgres::Param;
using postgres::Result;

constexpr const char* kColumns =
    "time, duration_ms, host, operation, port, passed, result_code, programmer_uid, firmware_version, file, model, "
    "code_crc, file_checksum, program_limit, download_limit, rolling_code, counters_total, counters_successes, log, "
    "serial_first, serial_last";

Param number(std::int64_t value) { return std::to_string(value); }
Param number(const std::optional<std::int64_t>& value) { return value ? number(*value) : std::nullopt; }
Param serial(const std::optional<std::uint64_t>& value) { return value ? Param(std::to_string(*value)) : std::nullopt; }
std::optional<std::uint64_t> serialAt(const Result& rows, int row, int column) {
  if (rows.isNull(row, column)) return std::nullopt;
  return std::stoull(rows.text(row, column));
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + lines[i];
  return out;
}

std::vector<std::string> splitText(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find(separator, start), text.size());
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// A row of "SELECT id, <kColumns>".
JournalRecord recordAt(const Result& rows, int row) {
  JournalRecord r;
  r.id = rows.integer(row, 0);
  r.time = rows.text(row, 1);
  r.durationMs = rows.integer(row, 2);
  r.host = rows.text(row, 3);
  r.operation = rows.text(row, 4);
  r.port = rows.text(row, 5);
  r.passed = rows.text(row, 6) == "t";
  r.resultCode = rows.optionalInteger(row, 7);
  r.programmerUid = rows.text(row, 8);
  r.firmwareVersion = rows.text(row, 9);
  r.file = rows.text(row, 10);
  r.model = rows.text(row, 11);
  r.codeCrc = rows.optionalInteger(row, 12);
  r.fileChecksum = rows.optionalInteger(row, 13);
  r.programLimit = rows.optionalInteger(row, 14);
  r.downloadLimit = rows.optionalInteger(row, 15);
  r.rollingCode = rows.text(row, 16);
  r.countersTotal = rows.optionalInteger(row, 17);
  r.countersSuccesses = rows.optionalInteger(row, 18);
  r.log = splitText(rows.text(row, 19), '\n');
  r.serialFirst = serialAt(rows, row, 20);
  r.serialLast = serialAt(rows, row, 21);
  return r;
}

// The WHERE clause of `filter`, its values appended to `params` in order.
std::string whereClause(const JournalFilter& filter, std::vector<Param>& params, const char* extra = nullptr) {
  std::vector<std::string> terms;
  auto term = [&](const char* sql, Param value) {
    params.push_back(std::move(value));
    terms.push_back(std::string(sql) + "$" + std::to_string(params.size()));
  };
  if (!filter.since.empty()) term("time >= ", filter.since);
  if (!filter.until.empty()) term("time < ", filter.until);
  if (!filter.port.empty()) term("port = ", filter.port);
  if (!filter.operation.empty()) term("operation = ", filter.operation);
  if (filter.passed) term("passed = ", std::string(*filter.passed ? "true" : "false"));
  if (filter.afterId > 0) term("id > ", std::to_string(filter.afterId));
  if (extra) terms.emplace_back(extra);
  std::string out;
  for (std::size_t i = 0; i < terms.size(); ++i) out += (i ? " AND " : " WHERE ") + terms[i];
  return out;
}

}  // namespace

std::string PostgresJournalStore::describe() const { return postgres::withoutPassword(uri_); }

std::string PostgresJournalStore::reason(const std::string& text) const {
  return describe() + ": " + postgres::maskPassword(text, uri_);
}

std::string PostgresJournalStore::reach(Clock::time_point deadline) {
  if (db_.isOpen()) return {};
  std::string error = db_.connect(uri_, deadline);
  if (error.empty()) error = postgres::migrate(db_, deadline);
  if (!error.empty()) db_.close();
  return error;
}

JournalAppend PostgresJournalStore::append(const JournalRecord& record) {
  const std::lock_guard lock(mutex_);
  return insert(record, std::nullopt, std::nullopt, Clock::now() + kWriteBudget);
}

JournalAppend PostgresJournalStore::forward(const JournalRecord& record, const std::string& origin,
                                            std::int64_t stationRecord, Clock::time_point deadline) {
  const std::lock_guard lock(mutex_);
  return insert(record, origin, number(stationRecord), deadline);
}

JournalAppend PostgresJournalStore::insert(const JournalRecord& record, const Param& origin, const Param& stationRecord,
                                           Clock::time_point deadline) {
  if (std::string error = reach(deadline); !error.empty()) return JournalAppend{0, reason(error)};
  const std::vector<Param> params = {record.time,
                                     number(record.durationMs),
                                     record.host,
                                     record.operation,
                                     record.port,
                                     std::string(record.passed ? "true" : "false"),
                                     number(record.resultCode),
                                     record.programmerUid,
                                     record.firmwareVersion,
                                     record.file,
                                     record.model,
                                     number(record.codeCrc),
                                     number(record.fileChecksum),
                                     number(record.programLimit),
                                     number(record.downloadLimit),
                                     record.rollingCode,
                                     number(record.countersTotal),
                                     number(record.countersSuccesses),
                                     joinLines(record.log),
                                     serial(record.serialFirst),
                                     serial(record.serialLast),
                                     origin,
                                     stationRecord};
  // A record sent again after its answer was lost is found by its station id, not stored twice.
  const std::string sql = std::string("WITH added AS (INSERT INTO record (") + kColumns +
                          ", origin, station_record) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, "
                          "$14, $15, $16, $17, $18, $19, $20, $21, $22, $23) ON CONFLICT (origin, station_record) "
                          "DO NOTHING RETURNING id) SELECT id FROM added UNION ALL "
                          "SELECT id FROM record WHERE origin = $22 AND station_record = $23 LIMIT 1";
  Result rows;
  const Outcome outcome = db_.exec(sql, params, &rows, deadline);
  if (!outcome.ok()) return JournalAppend{0, reason(outcome.error)};
  return JournalAppend{rows.rows() > 0 ? rows.integer(0, 0) : 0, {}};
}

std::string PostgresJournalStore::query(const JournalFilter& filter, std::vector<JournalRecord>& records,
                                        bool newestFirst) {
  records.clear();
  const std::lock_guard lock(mutex_);
  const Clock::time_point deadline = Clock::now() + kReadBudget;
  if (std::string error = reach(deadline); !error.empty()) return reason(error);
  std::vector<Param> params;
  std::string sql =
      std::string("SELECT id, ") + kColumns + " FROM record" + whereClause(filter, params) + " ORDER BY id DESC";
  if (filter.limit != 0) sql += " LIMIT " + std::to_string(filter.limit);
  Result rows;
  const Outcome outcome = db_.exec(sql, params, &rows, deadline);
  if (!outcome.ok()) return reason(outcome.error);
  for (int i = 0; i < rows.rows(); ++i) records.push_back(recordAt(rows, i));
  if (!newestFirst) std::reverse(records.begin(), records.end());
  return {};
}

std::string PostgresJournalStore::summarise(const JournalFilter& filter, std::vector<JournalSummaryRow>& rows) {
  rows.clear();
  const std::lock_guard lock(mutex_);
  const Clock::time_point deadline = Clock::now() + kReadBudget;
  if (std::string error = reach(deadline); !error.empty()) return reason(error);
  std::vector<Param> params;
  const std::string sql = "SELECT model, file_checksum, COUNT(*), COUNT(*) FILTER (WHERE passed) FROM record" +
                          whereClause(filter, params, "model <> ''") +
                          " GROUP BY model, file_checksum ORDER BY model, file_checksum";
  Result result;
  const Outcome outcome = db_.exec(sql, params, &result, deadline);
  if (!outcome.ok()) return reason(outcome.error);
  for (int i = 0; i < result.rows(); ++i) {
    JournalSummaryRow row;
    row.model = result.text(i, 0);
    row.fileChecksum = result.optionalInteger(i, 1);
    row.operations = result.integer(i, 2);
    row.passed = result.integer(i, 3);
    row.failed = row.operations - row.passed;
    row.yieldPercent = row.operations == 0 ? 0.0 : 100.0 * static_cast<double>(row.passed) / row.operations;
    rows.push_back(row);
  }
  return {};
}

SerialReservation PostgresJournalStore::reserveSerials(const SerialSeries& series, std::uint64_t count,
                                                       const SerialBlockOwner& owner) {
  const std::lock_guard lock(mutex_);
  const Clock::time_point deadline = Clock::now() + kWriteBudget;
  SerialReservation out;
  if (std::string error = reach(deadline); !error.empty()) {
    out.error = reason(error);
    return out;
  }
  const std::vector<Param> key = {series.model,
                                  std::to_string(series.length),
                                  serialAddressesText(series.addresses),
                                  std::to_string(series.step),
                                  std::to_string(series.instructionKind),
                                  std::to_string(series.start)};
  // The row lock on the series makes stations reserving at once take turns.
  Outcome outcome = db_.exec("BEGIN", deadline);
  if (outcome.ok()) {
    outcome = db_.exec(
        "INSERT INTO serial_series (model, length, addresses, step, instruction_kind, start, next) "
        "VALUES ($1, $2, $3, $4, $5, $6, $6) ON CONFLICT DO NOTHING",
        key, nullptr, deadline);
  }
  Result row;
  if (outcome.ok()) {
    outcome = db_.exec(
        "SELECT id, next, exhausted FROM serial_series WHERE model = $1 AND length = $2 AND addresses = $3 "
        "AND step = $4 AND instruction_kind = $5 AND start = $6 FOR UPDATE",
        key, &row, deadline);
  }
  if (outcome.ok() && row.rows() == 1) {
    const SerialPosition at{std::stoull(row.text(0, 1)), row.text(0, 2) == "t"};
    const SerialPlan plan = planSerialBlock(series, at, count);
    if (!plan.reservation.block) {
      db_.exec("ROLLBACK", deadline);
      out = plan.reservation;
      out.error = describe() + ": " + out.error;
      return out;
    }
    outcome = db_.exec(
        "UPDATE serial_series SET next = $2, exhausted = $3 WHERE id = $1",
        {row.text(0, 0), std::to_string(plan.after.next), std::string(plan.after.exhausted ? "true" : "false")},
        nullptr, deadline);
    const SerialBlock& block = *plan.reservation.block;
    if (outcome.ok()) {
      outcome = db_.exec(
          "INSERT INTO serial_block (series, time, host, port, programmer_uid, file, first, last) "
          "VALUES ($1, $2, $3, $4, $5, $6, $7, $8)",
          {row.text(0, 0), owner.time, owner.host, owner.port, owner.programmerUid, owner.file,
           std::to_string(block.first), std::to_string(block.last)},
          nullptr, deadline);
    }
    if (outcome.ok()) outcome = db_.exec("COMMIT", deadline);
    if (outcome.ok()) out.block = SerialBlock{owner, block.first, block.last};
  }
  if (!outcome.ok()) {
    if (!outcome.lost) db_.exec("ROLLBACK", deadline);
    out.error = reason(outcome.error);
  }
  return out;
}

std::string PostgresJournalStore::listSeries(std::vector<SerialSeriesState>& states) {
  states.clear();
  const std::lock_guard lock(mutex_);
  const Clock::time_point deadline = Clock::now() + kReadBudget;
  if (std::string error = reach(deadline); !error.empty()) return reason(error);
  Result series;
  Result blocks;
  Outcome outcome = db_.exec(
      "SELECT id, model, length, addresses, step, instruction_kind, start, next, exhausted FROM serial_series "
      "ORDER BY id",
      {}, &series, deadline);
  if (outcome.ok()) {
    outcome =
        db_.exec("SELECT series, time, host, port, programmer_uid, file, first, last FROM serial_block ORDER BY id", {},
                 &blocks, deadline);
  }
  if (!outcome.ok()) return reason(outcome.error);
  std::vector<std::int64_t> ids;
  for (int i = 0; i < series.rows(); ++i) {
    SerialSeriesState state;
    state.series.model = series.text(i, 1);
    state.series.length = static_cast<int>(series.integer(i, 2));
    state.series.addresses = serialAddressesFromText(series.text(i, 3));
    state.series.step = static_cast<int>(series.integer(i, 4));
    state.series.instructionKind = static_cast<int>(series.integer(i, 5));
    state.series.start = std::stoull(series.text(i, 6));
    state.next = std::stoull(series.text(i, 7));
    state.exhausted = series.text(i, 8) == "t";
    ids.push_back(series.integer(i, 0));
    states.push_back(std::move(state));
  }
  for (int i = 0; i < blocks.rows(); ++i) {
    const auto at = std::find(ids.begin(), ids.end(), blocks.integer(i, 0));
    if (at == ids.end()) continue;
    SerialBlock block{{blocks.text(i, 1), blocks.text(i, 2), blocks.text(i, 3), blocks.text(i, 4), blocks.text(i, 5)},
                      std::stoull(blocks.text(i, 6)),
                      std::stoull(blocks.text(i, 7))};
    states[static_cast<std::size_t>(at - ids.begin())].blocks.push_back(std::move(block));
  }
  return {};
}

}  // namespace kt90
