#include "core/journal/postgres/PostgresJournalStore.h"

#include <algorithm>
#include <limits>

#include "core/journal/JournalColumns.h"
#include "core/journal/SerialArithmetic.h"
#include "core/journal/postgres/PostgresLocation.h"
#include "core/journal/postgres/PostgresSchema.h"

namespace kt90 {

namespace {

using postgres::Clock;
using postgres::Outcome;
using postgres::Param;
using postgres::Result;

Param number(std::int64_t value) { return std::to_string(value); }

// The server takes every value as text; 1 and 0 are booleans to it.
Param param(const ColumnValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int64_t>(&value)) return std::to_string(*number);
  if (const auto* serial = std::get_if<std::uint64_t>(&value)) return std::to_string(*serial);
  return std::nullopt;
}

std::vector<Param> params(const std::vector<ColumnValue>& values) {
  std::vector<Param> out;
  for (const ColumnValue& value : values) out.push_back(param(value));
  return out;
}

// Appended, not "$" + ...: GCC 12 at -O3 sees a false overlap in that operator+.
std::string dollar(int n) {
  std::string placeholder = "$";
  placeholder += std::to_string(n);
  return placeholder;
}

class ServerRow : public RecordRow {
 public:
  ServerRow(const Result& rows, int row) : rows_(rows), row_(row) {}
  std::string text(int column) const override { return rows_.text(row_, column); }
  std::optional<std::int64_t> integer(int column) const override { return rows_.optionalInteger(row_, column); }
  std::optional<std::uint64_t> serial(int column) const override {
    if (rows_.isNull(row_, column)) return std::nullopt;
    return std::stoull(rows_.text(row_, column));
  }
  bool flag(int column) const override { return rows_.text(row_, column) == "t"; }

 private:
  const Result& rows_;
  int row_;
};

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
  std::vector<Param> values = params(recordValues(record));
  values.push_back(origin);
  values.push_back(stationRecord);
  std::string placeholders;
  for (int n = 1; n <= kRecordColumnCount + 2; ++n) placeholders += (n > 1 ? ", " : "") + dollar(n);
  const std::string originAt = dollar(kRecordColumnCount + 1);
  const std::string stationRecordAt = dollar(kRecordColumnCount + 2);
  // A record sent again after its answer was lost is found by its station id, not stored twice.
  const std::string sql = std::string("WITH added AS (INSERT INTO record (") + kRecordColumns +
                          ", origin, station_record) VALUES (" + placeholders +
                          ") ON CONFLICT (origin, station_record) DO NOTHING RETURNING id) SELECT id FROM added "
                          "UNION ALL SELECT id FROM record WHERE origin = " + originAt +
                          " AND station_record = " + stationRecordAt + " LIMIT 1";
  Result rows;
  const Outcome outcome = db_.exec(sql, values, &rows, deadline);
  if (!outcome.ok()) return JournalAppend{0, reason(outcome.error)};
  return JournalAppend{rows.rows() > 0 ? rows.integer(0, 0) : 0, {}};
}

std::string PostgresJournalStore::query(const JournalFilter& filter, std::vector<JournalRecord>& records,
                                        bool newestFirst) {
  records.clear();
  const std::lock_guard lock(mutex_);
  const Clock::time_point deadline = Clock::now() + kReadBudget;
  if (std::string error = reach(deadline); !error.empty()) return reason(error);
  std::vector<ColumnValue> values;
  std::string sql = std::string("SELECT id, ") + kRecordColumns + " FROM record" +
                    filterClause(filter, values, dollar) + " ORDER BY id DESC";
  if (filter.limit != 0) sql += " LIMIT " + std::to_string(filter.limit);
  Result rows;
  const Outcome outcome = db_.exec(sql, params(values), &rows, deadline);
  if (!outcome.ok()) return reason(outcome.error);
  for (int i = 0; i < rows.rows(); ++i) records.push_back(recordFromRow(ServerRow(rows, i)));
  if (!newestFirst) std::reverse(records.begin(), records.end());
  return {};
}

std::string PostgresJournalStore::summarise(const JournalFilter& filter, std::vector<JournalSummaryRow>& rows) {
  rows.clear();
  const std::lock_guard lock(mutex_);
  const Clock::time_point deadline = Clock::now() + kReadBudget;
  if (std::string error = reach(deadline); !error.empty()) return reason(error);
  std::vector<ColumnValue> values;
  const std::string sql = "SELECT model, file_checksum, COUNT(*), COUNT(*) FILTER (WHERE passed) FROM record" +
                          filterClause(filter, values, dollar, "model <> ''") +
                          " GROUP BY model, file_checksum ORDER BY model, file_checksum";
  Result result;
  const Outcome outcome = db_.exec(sql, params(values), &result, deadline);
  if (!outcome.ok()) return reason(outcome.error);
  for (int i = 0; i < result.rows(); ++i) {
    rows.push_back(summaryRow(result.text(i, 0), result.optionalInteger(i, 1), result.integer(i, 2),
                              result.integer(i, 3)));
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
