// kt90ctl journal: the production journal's records, filtered, as text, JSON or CSV, and
// the yield per chip model and file checksum.
#include <cmath>
#include <cstdio>
#include <memory>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "core/base/Encoding.h"
#include "core/journal/JournalCsv.h"
#include "core/journal/JournalTime.h"
#include "core/programmer/DeviceOperations.h"
#include "core/text/Format.h"

namespace kt90 {

namespace {

struct JournalArgs {
  std::int64_t after = 0;
  std::string since;
  std::string until;
  std::string port;
  std::string operation;
  std::string result;
  bool csv = false;
  bool summary = false;
};

// Texts as they were stored may hold bytes that are no UTF-8 (a port name, a file name).
Json textOf(const std::string& text) { return escapeInvalidUtf8(text); }
Json textOrNull(const std::string& text) { return text.empty() ? Json() : textOf(text); }
template <typename Number>
Json numberOrNull(const std::optional<Number>& number) {
  return number ? Json(*number) : Json();
}

Json recordJson(const JournalRecord& r) {
  Json counters;
  if (r.countersTotal || r.countersSuccesses) {
    counters = Json{{"total", numberOrNull(r.countersTotal)}, {"successes", numberOrNull(r.countersSuccesses)}};
  }
  Json log = Json::array();
  for (const std::string& line : r.log) log.push_back(textOf(line));
  return Json{{"id", r.id},
              {"time", r.time},
              {"durationMs", r.durationMs},
              {"host", textOf(r.host)},
              {"operation", r.operation},
              {"port", textOf(r.port)},
              {"result", resultName(r.passed)},
              {"resultCode", numberOrNull(r.resultCode)},
              {"programmerUid", textOrNull(r.programmerUid)},
              {"firmwareVersion", textOrNull(r.firmwareVersion)},
              {"file", textOrNull(r.file)},
              {"model", textOrNull(r.model)},
              {"codeCrc", numberOrNull(r.codeCrc)},
              {"fileChecksum", numberOrNull(r.fileChecksum)},
              {"programLimit", numberOrNull(r.programLimit)},
              {"downloadLimit", numberOrNull(r.downloadLimit)},
              {"rollingCode", textOrNull(r.rollingCode)},
              {"serialFirst", numberOrNull(r.serialFirst)},
              {"serialLast", numberOrNull(r.serialLast)},
              {"counters", counters},
              {"log", log}};
}

Json summaryJson(const JournalSummaryRow& row) {
  return Json{{"model", textOf(row.model)},   {"fileChecksum", numberOrNull(row.fileChecksum)},
              {"operations", row.operations}, {"passed", row.passed},
              {"failed", row.failed},         {"yield", std::round(row.yieldPercent * 100.0) / 100.0}};
}

std::string hex4(const std::optional<std::int64_t>& value) {
  return value ? formatText("0x%04X", static_cast<unsigned>(*value)) : std::string("-");
}

std::string orDash(const std::string& text) { return text.empty() ? std::string("-") : escapeInvalidUtf8(text); }

std::string serials(const JournalRecord& r) {
  if (!r.serialFirst || !r.serialLast) return "-";
  return formatText("%llu-%llu", static_cast<unsigned long long>(*r.serialFirst),
                    static_cast<unsigned long long>(*r.serialLast));
}

void printRecords(const JournalArgs& args, const CliOptions& options, const std::vector<JournalRecord>& records) {
  if (args.csv) {
    std::fputs(journalCsv(records).c_str(), stdout);
  } else if (options.json) {
    Json array = Json::array();
    for (const JournalRecord& record : records) array.push_back(recordJson(record));
    printJson(Json{{"ok", true}, {"records", array}});
  } else {
    for (const JournalRecord& r : records) {
      std::printf("%lld\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", static_cast<long long>(r.id), r.time.c_str(),
                  r.operation.c_str(), orDash(r.port).c_str(), resultName(r.passed), orDash(r.programmerUid).c_str(),
                  orDash(r.model).c_str(), hex4(r.fileChecksum).c_str(), orDash(r.rollingCode).c_str(),
                  serials(r).c_str());
    }
  }
}

void printSummary(const JournalArgs& args, const CliOptions& options, const std::vector<JournalSummaryRow>& rows) {
  if (args.csv) {
    std::fputs(journalSummaryCsv(rows).c_str(), stdout);
    return;
  }
  if (options.json) {
    Json array = Json::array();
    for (const JournalSummaryRow& row : rows) array.push_back(summaryJson(row));
    printJson(Json{{"ok", true}, {"summary", array}});
    return;
  }
  std::printf("%-20s %-8s %10s %8s %8s %8s\n", "model", "checksum", "operations", "passed", "failed", "yield");
  for (const JournalSummaryRow& row : rows) {
    std::printf("%-20s %-8s %10lld %8lld %8lld %7.2f%%\n", orDash(row.model).c_str(), hex4(row.fileChecksum).c_str(),
                static_cast<long long>(row.operations), static_cast<long long>(row.passed),
                static_cast<long long>(row.failed), row.yieldPercent);
  }
}

// The filter of the command line; a time that is no time is wrong usage.
JournalFilter makeFilter(const JournalArgs& args) {
  JournalFilter filter;
  for (auto [text, out] : {std::pair{&args.since, &filter.since}, std::pair{&args.until, &filter.until}}) {
    if (text->empty()) continue;
    const std::optional<std::string> time = canonicalJournalTime(*text);
    if (!time) throw CommandFailure(kExitUsage, "not an ISO 8601 time: " + *text);
    *out = *time;
  }
  filter.port = args.port;
  filter.operation = args.operation;
  if (!args.result.empty()) filter.passed = args.result == "passed";
  filter.afterId = args.after;
  return filter;
}

void runJournal(const JournalArgs& args, const CliOptions& options) {
  const JournalFilter filter = makeFilter(args);
  const std::unique_ptr<JournalStore> journal = openJournal(options, JournalAccess::Read);
  std::string error;
  if (args.summary) {
    std::vector<JournalSummaryRow> rows;
    error = journal->summarise(filter, rows);
    if (error.empty()) printSummary(args, options, rows);
  } else {
    std::vector<JournalRecord> records;
    error = journal->query(filter, records);
    if (error.empty()) printRecords(args, options, records);
  }
  if (!error.empty()) throw CommandFailure(kExitFailed, error);
}

// Every operation's name as records carry it.
std::vector<std::string> operationNames() {
  std::vector<std::string> names;
  for (DeviceOperation op : kDeviceOperations) names.emplace_back(deviceOperationName(op));
  return names;
}

}  // namespace

void addJournalCommand(CLI::App& app, CliOptions& options, int& exitCode) {
  auto* command = app.add_subcommand("journal", "Show the production journal, or its yield per chip model and file");
  auto args = std::make_shared<JournalArgs>();
  command->add_option("--after", args->after, "Records stored after the one with this id (collect with the last id seen)")
      ->check(CLI::NonNegativeNumber);
  command->add_option("--since", args->since,
                      "Records that started at or after this ISO 8601 time (UTC unless given: Z, +08, +08:00)");
  command->add_option("--until", args->until, "Records that started before this ISO 8601 time");
  command->add_option("--port", args->port, "Records of this port");
  command->add_option("--operation", args->operation, "Records of this operation")
      ->check(CLI::IsMember(operationNames()));
  command->add_option("--result", args->result, "Records that passed or failed")
      ->check(CLI::IsMember({"passed", "failed"}));
  command->add_flag("--summary", args->summary,
                    "Operations, passed, failed and yield per chip model and file checksum");
  auto* json = command->add_flag("--json", options.json,
                                 "Print one JSON object: {\"ok\": true, \"records\": [...]} or \"summary\"");
  auto* csv = command->add_flag("--csv", args->csv, "Print CSV with a header line");
  json->excludes(csv);
  command->callback([args, &options, &exitCode] {
    runJournal(*args, options);
    exitCode = kExitOk;
  });
}

}  // namespace kt90
