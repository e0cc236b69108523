#include "core/journal/JournalCsv.h"

#include "core/base/Encoding.h"
#include "core/text/Format.h"

namespace kt90 {

namespace {

// Texts as they were stored may hold bytes that are no UTF-8 (a port name, a file name).
std::string field(const std::string& text) {
  const std::string value = escapeInvalidUtf8(text);
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

template <typename Number>
std::string field(const std::optional<Number>& value) {
  return value ? std::to_string(*value) : std::string();
}

std::string line(const std::vector<std::string>& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) out += (i ? "," : "") + fields[i];
  return out + "\n";
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + lines[i];
  return out;
}

}  // namespace

std::string journalCsv(const std::vector<JournalRecord>& records) {
  std::string out = line({"id", "time", "durationMs", "host", "operation", "port", "result", "resultCode", "programmerUid",
                          "firmwareVersion", "file", "model", "codeCrc", "fileChecksum", "programLimit",
                          "downloadLimit", "rollingCode", "serialFirst", "serialLast", "countersTotal", "countersSuccesses", "log"});
  for (const JournalRecord& r : records) {
    out += line({std::to_string(r.id), field(r.time), std::to_string(r.durationMs), field(r.host), field(r.operation), field(r.port),
                 resultName(r.passed), field(r.resultCode), field(r.programmerUid), field(r.firmwareVersion),
                 field(r.file), field(r.model), field(r.codeCrc), field(r.fileChecksum), field(r.programLimit),
                 field(r.downloadLimit), field(r.rollingCode), field(r.serialFirst), field(r.serialLast), field(r.countersTotal), field(r.countersSuccesses),
                 field(joined(r.log))});
  }
  return out;
}

std::string journalSummaryCsv(const std::vector<JournalSummaryRow>& rows) {
  std::string out = line({"model", "fileChecksum", "operations", "passed", "failed", "yield"});
  for (const JournalSummaryRow& row : rows) {
    out += line({field(row.model), field(row.fileChecksum), std::to_string(row.operations), std::to_string(row.passed),
                 std::to_string(row.failed), formatText("%.2f", row.yieldPercent)});
  }
  return out;
}

}  // namespace kt90
