#include "core/journal/JournalFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/base/FileIo.h"
#include "core/journal/JournalSchema.h"

namespace kt90 {

namespace {

constexpr const char* kColumns =
    "time, duration_ms, host, operation, port, passed, result_code, programmer_uid, firmware_version, file, model, "
    "code_crc, file_checksum, program_limit, download_limit, rolling_code, counters_total, counters_successes, log";

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

// The WHERE clause of `filter`, its values bound in order by bindFilter.
std::string whereClause(const JournalFilter& filter, const char* extra = nullptr) {
  std::vector<std::string> terms;
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
  if (!filter.since.empty()) statement.bind(index++, filter.since);
  if (!filter.until.empty()) statement.bind(index++, filter.until);
  if (!filter.port.empty()) statement.bind(index++, filter.port);
  if (!filter.operation.empty()) statement.bind(index++, filter.operation);
  if (filter.passed) statement.bind(index++, std::int64_t{*filter.passed ? 1 : 0});
}

JournalRecord recordAt(const sqlite::Statement& row) {
  JournalRecord r;
  r.time = row.text(0);
  r.durationMs = row.integer(1);
  r.host = row.text(2);
  r.operation = row.text(3);
  r.port = row.text(4);
  r.passed = row.integer(5) != 0;
  r.resultCode = row.optionalInteger(6);
  r.programmerUid = row.text(7);
  r.firmwareVersion = row.text(8);
  r.file = row.text(9);
  r.model = row.text(10);
  r.codeCrc = row.optionalInteger(11);
  r.fileChecksum = row.optionalInteger(12);
  r.programLimit = row.optionalInteger(13);
  r.downloadLimit = row.optionalInteger(14);
  r.rollingCode = row.text(15);
  r.countersTotal = row.optionalInteger(16);
  r.countersSuccesses = row.optionalInteger(17);
  r.log = splitLines(row.text(18));
  return r;
}

// Opens `path` for a query; `empty` when there is nothing to read yet.
std::string openForQuery(sqlite::Connection& db, const std::string& path, bool& empty) {
  std::error_code error;
  empty = !std::filesystem::exists(pathFromUtf8(path), error);
  if (empty) return {};
  const std::string reason = openJournalForReading(db, path, empty);
  return reason.empty() ? reason : path + ": " + reason;
}

}  // namespace

std::string JournalFile::append(const JournalRecord& record) {
  const std::lock_guard lock(mutex_);
  const std::string reason = store(record);
  if (reason.empty() || lossReported_) return {};
  lossReported_ = true;
  return path_ + ": " + reason;
}

std::string JournalFile::store(const JournalRecord& record) {
  if (!db_.isOpen()) {
    std::error_code ignored;
    const std::filesystem::path file = pathFromUtf8(path_);
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
    if (std::string reason = openJournalForWriting(db_, path_); !reason.empty()) return reason;
  }
  sqlite::Statement insert(db_, std::string("INSERT INTO record (") + kColumns +
                                    ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  if (!insert.ok()) return db_.lastError();
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
  insert.step();
  if (insert.done()) return {};
  std::string reason = db_.lastError();
  // A connection that failed may be stale (file replaced, disk gone): open afresh next time.
  db_ = sqlite::Connection();
  return reason;
}

std::string readJournal(const std::string& path, const JournalFilter& filter, std::vector<JournalRecord>& records,
                        bool newestFirst) {
  records.clear();
  sqlite::Connection db;
  bool empty = false;
  if (std::string reason = openForQuery(db, path, empty); !reason.empty() || empty) return reason;
  std::string sql =
      std::string("SELECT ") + kColumns + " FROM record" + whereClause(filter) + " ORDER BY time DESC, id DESC";
  if (filter.limit != 0) sql += " LIMIT " + std::to_string(filter.limit);
  sqlite::Statement query(db, sql);
  if (!query.ok()) return path + ": " + db.lastError();
  bindFilter(query, filter);
  while (query.step()) records.push_back(recordAt(query));
  if (!query.done()) return path + ": " + db.lastError();
  if (!newestFirst) std::reverse(records.begin(), records.end());
  return {};
}

std::string summariseJournal(const std::string& path, const JournalFilter& filter,
                             std::vector<JournalSummaryRow>& rows) {
  rows.clear();
  sqlite::Connection db;
  bool empty = false;
  if (std::string reason = openForQuery(db, path, empty); !reason.empty() || empty) return reason;
  sqlite::Statement query(db, "SELECT model, file_checksum, COUNT(*), SUM(passed) FROM record" +
                                  whereClause(filter, "model <> ''") +
                                  " GROUP BY model, file_checksum ORDER BY model, file_checksum");
  if (!query.ok()) return path + ": " + db.lastError();
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
  if (!query.done()) return path + ": " + db.lastError();
  return {};
}

}  // namespace kt90
