#include "core/journal/SqliteJournal.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/base/FileIo.h"
#include "core/journal/JournalSchema.h"

namespace kt90 {

namespace {

constexpr const char* kColumns =
    "time, duration_ms, host, operation, port, passed, result_code, programmer_uid, firmware_version, file, model, "
    "code_crc, file_checksum, program_limit, download_limit, rolling_code, counters_total, counters_successes, log, "
    "serial_first, serial_last";
// Files of the first schema are read where they lie (read-only media): no serial columns.
constexpr const char* kFirstSchemaSerials = "NULL, NULL";

std::string joinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + lines[i];
  return out;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string selectedColumns(int version) {
  std::string columns = kColumns;
  if (version < 2) columns = columns.substr(0, columns.find(", serial_first")) + ", " + kFirstSchemaSerials;
  return "id, " + columns;
}

// The WHERE clause of `filter`, its values bound in order by bindFilter.
std::string whereClause(const JournalFilter& filter, const char* extra = nullptr) {
  std::vector<std::string> terms;
  if (filter.afterId > 0) terms.emplace_back("id > ?");
  if (!filter.since.empty()) terms.emplace_back("time >= ?");
  if (!filter.until.empty()) terms.emplace_back("time < ?");
  if (!filter.port.empty()) terms.emplace_back("port = ?");
  if (!filter.operation.empty()) terms.emplace_back("operation = ?");
  if (filter.passed) terms.emplace_back("passed = ?");
  if (extra) terms.emplace_back(extra);
  std::string out;
  for (std::size_t i = 0; i < terms.size(); ++i) out += (i ? " AND " : " WHERE ") + terms[i];
  return out;
}

void bindFilter(sqlite::Statement& statement, const JournalFilter& filter) {
  int index = 1;
  if (filter.afterId > 0) statement.bind(index++, filter.afterId);
  if (!filter.since.empty()) statement.bind(index++, filter.since);
  if (!filter.until.empty()) statement.bind(index++, filter.until);
  if (!filter.port.empty()) statement.bind(index++, filter.port);
  if (!filter.operation.empty()) statement.bind(index++, filter.operation);
  if (filter.passed) statement.bind(index++, std::int64_t{*filter.passed ? 1 : 0});
}

JournalRecord recordAt(const sqlite::Statement& row) {
  JournalRecord r;
  r.id = row.integer(0);
  r.time = row.text(1);
  r.durationMs = row.integer(2);
  r.host = row.text(3);
  r.operation = row.text(4);
  r.port = row.text(5);
  r.passed = row.integer(6) != 0;
  r.resultCode = row.optionalInteger(7);
  r.programmerUid = row.text(8);
  r.firmwareVersion = row.text(9);
  r.file = row.text(10);
  r.model = row.text(11);
  r.codeCrc = row.optionalInteger(12);
  r.fileChecksum = row.optionalInteger(13);
  r.programLimit = row.optionalInteger(14);
  r.downloadLimit = row.optionalInteger(15);
  r.rollingCode = row.text(16);
  r.countersTotal = row.optionalInteger(17);
  r.countersSuccesses = row.optionalInteger(18);
  r.log = splitLines(row.text(19));
  r.serialFirst = row.optionalSerial(20);
  r.serialLast = row.optionalSerial(21);
  return r;
}

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
  sqlite::Statement insert(writer_, std::string("INSERT INTO record (") + kColumns +
                                        ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  if (!insert.ok()) {
    result.error = dropWriter(writer_.lastError());
    return result;
  }
  insert.bind(1, record.time);
  insert.bind(2, record.durationMs);
  insert.bind(3, record.host);
  insert.bind(4, record.operation);
  insert.bind(5, record.port);
  insert.bind(6, std::int64_t{record.passed ? 1 : 0});
  insert.bind(7, record.resultCode);
  insert.bind(8, record.programmerUid);
  insert.bind(9, record.firmwareVersion);
  insert.bind(10, record.file);
  insert.bind(11, record.model);
  insert.bind(12, record.codeCrc);
  insert.bind(13, record.fileChecksum);
  insert.bind(14, record.programLimit);
  insert.bind(15, record.downloadLimit);
  insert.bind(16, record.rollingCode);
  insert.bind(17, record.countersTotal);
  insert.bind(18, record.countersSuccesses);
  insert.bind(19, joinLines(record.log));
  insert.bindSerial(20, record.serialFirst);
  insert.bindSerial(21, record.serialLast);
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
  std::string sql = "SELECT " + selectedColumns(version) + " FROM record" + whereClause(filter) + " ORDER BY id DESC";
  if (filter.limit != 0) sql += " LIMIT " + std::to_string(filter.limit);
  sqlite::Statement query(db, sql);
  if (!query.ok()) return withPath(db.lastError());
  bindFilter(query, filter);
  while (query.step()) records.push_back(recordAt(query));
  if (!query.done()) return withPath(db.lastError());
  if (!newestFirst) std::reverse(records.begin(), records.end());
  return {};
}

std::string SqliteJournal::summarise(const JournalFilter& filter, std::vector<JournalSummaryRow>& rows) {
  rows.clear();
  sqlite::Connection db;
  int version = 0;
  if (std::string reason = openReader(db, version); !reason.empty() || version == 0) return reason;
  sqlite::Statement query(db, "SELECT model, file_checksum, COUNT(*), SUM(passed) FROM record" +
                                  whereClause(filter, "model <> ''") +
                                  " GROUP BY model, file_checksum ORDER BY model, file_checksum");
  if (!query.ok()) return withPath(db.lastError());
  bindFilter(query, filter);
  while (query.step()) {
    JournalSummaryRow row;
    row.model = query.text(0);
    row.fileChecksum = query.optionalInteger(1);
    row.operations = query.integer(2);
    row.passed = query.integer(3);
    row.failed = row.operations - row.passed;
    row.yieldPercent = row.operations == 0 ? 0.0 : 100.0 * static_cast<double>(row.passed) / row.operations;
    rows.push_back(row);
  }
  if (!query.done()) return withPath(db.lastError());
  return {};
}

}  // namespace kt90
