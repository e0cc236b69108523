#include "core/journal/SqliteJournal.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/base/FileIo.h"
#include "core/journal/JournalColumns.h"
#include "core/journal/JournalSchema.h"

namespace kt90 {

namespace {

// Files of the first schema are read where they lie (read-only media): no serial columns.
constexpr const char* kFirstSchemaSerials = "NULL, NULL";

std::string selectedColumns(int version) {
  std::string columns = kRecordColumns;
  if (version < 2) columns = columns.substr(0, columns.find(", serial_first")) + ", " + kFirstSchemaSerials;
  return "id, " + columns;
}

std::string questionMark(int) { return "?"; }

void bindAll(sqlite::Statement& statement, const std::vector<ColumnValue>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    const int index = static_cast<int>(i) + 1;
    const ColumnValue& value = values[i];
    if (const auto* text = std::get_if<std::string>(&value)) statement.bind(index, *text);
    if (const auto* number = std::get_if<std::int64_t>(&value)) statement.bind(index, *number);
    if (const auto* serial = std::get_if<std::uint64_t>(&value)) statement.bindSerial(index, *serial);
    if (std::holds_alternative<std::monostate>(value)) statement.bind(index, std::optional<std::int64_t>());
  }
}

class SqliteRow : public RecordRow {
 public:
  explicit SqliteRow(const sqlite::Statement& row) : row_(row) {}
  std::string text(int column) const override { return row_.text(column); }
  std::optional<std::int64_t> integer(int column) const override { return row_.optionalInteger(column); }
  std::optional<std::uint64_t> serial(int column) const override { return row_.optionalSerial(column); }
  bool flag(int column) const override { return row_.integer(column) != 0; }

 private:
  const sqlite::Statement& row_;
};

}  // namespace

std::string SqliteJournal::openWriter(std::chrono::steady_clock::time_point deadline) {
  if (writer_.isOpen()) {
    writer_.waitForLocksUntil(deadline);
    return {};
  }
  return openJournalForWriting(writer_, path_, deadline);
}

std::string SqliteJournal::dropWriter(const std::string& reason) {
  writer_ = sqlite::Connection();
  return withPath(reason);
}

JournalAppend SqliteJournal::append(const JournalRecord& record) {
  const std::lock_guard lock(mutex_);
  JournalAppend result;
  if (std::string reason = openWriter(std::chrono::steady_clock::now() + kJournalLockWait); !reason.empty()) {
    result.error = dropWriter(reason);
    return result;
  }
  std::string placeholders = "?";
  for (int i = 1; i < kRecordColumnCount; ++i) placeholders += ", ?";
  sqlite::Statement insert(writer_, std::string("INSERT INTO record (") + kRecordColumns + ") VALUES (" +
                                        placeholders + ")");
  if (!insert.ok()) {
    result.error = dropWriter(writer_.lastError());
    return result;
  }
  bindAll(insert, recordValues(record));
  insert.step();
  if (insert.done()) {
    result.id = writer_.lastInsertId();
  } else {
    result.error = dropWriter(writer_.lastError());
  }
  return result;
}

std::string SqliteJournal::openReader(sqlite::Connection& db, int& version) const {
  std::error_code error;
  if (!std::filesystem::exists(pathFromUtf8(path_), error)) {
    return withPath("no journal here: no operation has been recorded in it");
  }
  const std::string reason = openJournalForReading(db, path_, version);
  return reason.empty() ? reason : withPath(reason);
}

std::string SqliteJournal::query(const JournalFilter& filter, std::vector<JournalRecord>& records, bool newestFirst) {
  records.clear();
  sqlite::Connection db;
  int version = 0;
  if (std::string reason = openReader(db, version); !reason.empty() || version == 0) return reason;
  std::vector<ColumnValue> values;
  std::string sql = "SELECT " + selectedColumns(version) + " FROM record" +
                    filterClause(filter, values, questionMark) + " ORDER BY id DESC";
  if (filter.limit != 0) sql += " LIMIT " + std::to_string(filter.limit);
  sqlite::Statement query(db, sql);
  if (!query.ok()) return withPath(db.lastError());
  bindAll(query, values);
  while (query.step()) records.push_back(recordFromRow(SqliteRow(query)));
  if (!query.done()) return withPath(db.lastError());
  if (!newestFirst) std::reverse(records.begin(), records.end());
  return {};
}

std::string SqliteJournal::summarise(const JournalFilter& filter, std::vector<JournalSummaryRow>& rows) {
  rows.clear();
  sqlite::Connection db;
  int version = 0;
  if (std::string reason = openReader(db, version); !reason.empty() || version == 0) return reason;
  std::vector<ColumnValue> values;
  sqlite::Statement query(db, "SELECT model, file_checksum, COUNT(*), SUM(passed) FROM record" +
                                  filterClause(filter, values, questionMark, "model <> ''") +
                                  " GROUP BY model, file_checksum ORDER BY model, file_checksum");
  if (!query.ok()) return withPath(db.lastError());
  bindAll(query, values);
  while (query.step()) {
    rows.push_back(summaryRow(query.text(0), query.optionalInteger(1), query.integer(2), query.integer(3)));
  }
  if (!query.done()) return withPath(db.lastError());
  return {};
}

}  // namespace kt90
