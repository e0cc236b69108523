#include "core/journal/JournalColumns.h"

namespace kt90 {

const char* const kRecordColumns =
    "time, duration_ms, host, operation, port, passed, result_code, programmer_uid, firmware_version, file, model, "
    "code_crc, file_checksum, program_limit, download_limit, rolling_code, counters_total, counters_successes, log, "
    "serial_first, serial_last";

namespace {

ColumnValue optional(const std::optional<std::int64_t>& value) {
  return value ? ColumnValue(*value) : ColumnValue();
}
ColumnValue optional(const std::optional<std::uint64_t>& value) {
  return value ? ColumnValue(*value) : ColumnValue();
}

// The log is one text column, a line each.
std::string joinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + lines[i];
  return out;
}

// Every line back, an empty last one too; only an empty text is no lines at all.
std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

std::vector<ColumnValue> recordValues(const JournalRecord& r) {
  return {r.time,
          r.durationMs,
          r.host,
          r.operation,
          r.port,
          std::int64_t{r.passed ? 1 : 0},
          optional(r.resultCode),
          r.programmerUid,
          r.firmwareVersion,
          r.file,
          r.model,
          optional(r.codeCrc),
          optional(r.fileChecksum),
          optional(r.programLimit),
          optional(r.downloadLimit),
          r.rollingCode,
          optional(r.countersTotal),
          optional(r.countersSuccesses),
          joinLines(r.log),
          optional(r.serialFirst),
          optional(r.serialLast)};
}

JournalRecord recordFromRow(const RecordRow& row) {
  JournalRecord r;
  r.id = row.integer(0).value_or(0);
  r.time = row.text(1);
  r.durationMs = row.integer(2).value_or(0);
  r.host = row.text(3);
  r.operation = row.text(4);
  r.port = row.text(5);
  r.passed = row.flag(6);
  r.resultCode = row.integer(7);
  r.programmerUid = row.text(8);
  r.firmwareVersion = row.text(9);
  r.file = row.text(10);
  r.model = row.text(11);
  r.codeCrc = row.integer(12);
  r.fileChecksum = row.integer(13);
  r.programLimit = row.integer(14);
  r.downloadLimit = row.integer(15);
  r.rollingCode = row.text(16);
  r.countersTotal = row.integer(17);
  r.countersSuccesses = row.integer(18);
  r.log = splitLines(row.text(19));
  r.serialFirst = row.serial(20);
  r.serialLast = row.serial(21);
  return r;
}

std::string filterClause(const JournalFilter& filter, std::vector<ColumnValue>& values,
                         const std::function<std::string(int)>& placeholder, const char* extra) {
  std::vector<std::string> terms;
  auto term = [&](const char* condition, ColumnValue value) {
    values.push_back(std::move(value));
    terms.push_back(condition + placeholder(static_cast<int>(values.size())));
  };
  if (filter.afterId > 0) term("id > ", filter.afterId);
  if (!filter.since.empty()) term("time >= ", filter.since);
  if (!filter.until.empty()) term("time < ", filter.until);
  if (!filter.port.empty()) term("port = ", filter.port);
  if (!filter.operation.empty()) term("operation = ", filter.operation);
  // 1 and 0 are booleans to the server as to SQLite.
  if (filter.passed) term("passed = ", std::int64_t{*filter.passed ? 1 : 0});
  if (extra) terms.emplace_back(extra);
  std::string out;
  for (std::size_t i = 0; i < terms.size(); ++i) out += (i ? " AND " : " WHERE ") + terms[i];
  return out;
}

JournalSummaryRow summaryRow(std::string model, std::optional<std::int64_t> fileChecksum, std::int64_t operations,
                             std::int64_t passed) {
  JournalSummaryRow row;
  row.model = std::move(model);
  row.fileChecksum = fileChecksum;
  row.operations = operations;
  row.passed = passed;
  row.failed = operations - passed;
  row.yieldPercent = operations == 0 ? 0.0 : 100.0 * static_cast<double>(passed) / static_cast<double>(operations);
  return row;
}

}  // namespace kt90
