// kt90ctl journal: the production journal's records, filtered, as text, JSON or CSV, and
// the yield per chip model and file checksum.
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/Commands.h"
#include "core/journal/JournalCsv.h"
#include "core/journal/JournalFile.h"
#include "core/journal/JournalOutbox.h"
#include "core/journal/postgres/PostgresLocation.h"
#include "core/journal/JournalTime.h"
#include "core/text/Format.h"

namespace kt90 {

namespace {

using Json = nlohmann::ordered_json;

struct JournalArgs {
  std::string since;
  std::string until;
  std::string port;
  std::string operation;
  std::string result;
  bool json = false;
  bool csv = false;
  bool summary = false;
  bool pending = false;
  bool sync = false;
};

Json textOrNull(const std::string& text) { return text.empty() ? Json() : Json(text); }
Json numberOrNull(const std::optional<std::int64_t>& number) { return number ? Json(*number) : Json(); }

Json recordJson(const JournalRecord& r) {
  Json counters;
  if (r.countersTotal || r.countersSuccesses) {
    counters = Json{{"total", numberOrNull(r.countersTotal)}, {"successes", numberOrNull(r.countersSuccesses)}};
  }
  return Json{{"time", r.time},
              {"durationMs", r.durationMs},
              {"host", r.host},
              {"operation", r.operation},
              {"port", r.port},
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
              {"counters", counters},
              {"log", r.log}};
}

Json summaryJson(const JournalSummaryRow& row) {
  return Json{{"model", row.model},           {"fileChecksum", numberOrNull(row.fileChecksum)},
              {"operations", row.operations}, {"passed", row.passed},
              {"failed", row.failed},         {"yield", std::round(row.yieldPercent * 100.0) / 100.0}};
}

std::string hex4(const std::optional<std::int64_t>& value) {
  return value ? formatText("%04X", static_cast<unsigned>(*value)) : std::string("-");
}

std::string orDash(const std::string& text) { return text.empty() ? std::string("-") : text; }

void printRecords(const JournalArgs& args, const std::vector<JournalRecord>& records) {
  if (args.csv) {
    std::fputs(journalCsv(records).c_str(), stdout);
    return;
  }
  if (args.json) {
    Json array = Json::array();
    for (const JournalRecord& record : records) array.push_back(recordJson(record));
    std::printf("%s\n", array.dump(2).c_str());
    return;
  }
  for (const JournalRecord& r : records) {
    std::printf("%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", r.time.c_str(), r.operation.c_str(), r.port.c_str(),
                resultName(r.passed), orDash(r.programmerUid).c_str(), orDash(r.model).c_str(),
                hex4(r.fileChecksum).c_str(), orDash(r.rollingCode).c_str());
  }
}

void printSummary(const JournalArgs& args, const std::vector<JournalSummaryRow>& rows) {
  if (args.csv) {
    std::fputs(journalSummaryCsv(rows).c_str(), stdout);
    return;
  }
  if (args.json) {
    Json array = Json::array();
    for (const JournalSummaryRow& row : rows) array.push_back(summaryJson(row));
    std::printf("%s\n", array.dump(2).c_str());
    return;
  }
  std::printf("%-20s %-8s %10s %8s %8s %8s\n", "model", "checksum", "operations", "passed", "failed", "yield");
  for (const JournalSummaryRow& row : rows) {
    std::printf("%-20s %-8s %10lld %8lld %8lld %7.2f%%\n", row.model.c_str(), hex4(row.fileChecksum).c_str(),
                static_cast<long long>(row.operations), static_cast<long long>(row.passed),
                static_cast<long long>(row.failed), row.yieldPercent);
  }
}

// The filter of the command line; false (with a message) when a time is no time.
bool makeFilter(const JournalArgs& args, JournalFilter& filter) {
  for (auto [text, out] : {std::pair{&args.since, &filter.since}, std::pair{&args.until, &filter.until}}) {
    if (text->empty()) continue;
    const std::optional<std::string> time = canonicalJournalTime(*text);
    if (!time) {
      std::fprintf(stderr, "not an ISO 8601 time: %s\n", text->c_str());
      return false;
    }
    *out = *time;
  }
  filter.port = args.port;
  filter.operation = args.operation;
  if (!args.result.empty()) filter.passed = args.result == "passed";
  return true;
}

// --pending and --sync: the records waiting in the station's outbox for the server. A
// journal in a file has no outbox: nothing waits.
int runOutbox(const JournalArgs& args, const std::string& location) {
  std::int64_t waiting = 0;
  std::int64_t forwarded = 0;
  std::string error;
  std::string where = location;
  if (postgres::isDatabaseLocation(location)) {
    JournalOpen open = openServerJournal(location, true);
    auto* outbox = dynamic_cast<JournalOutbox*>(open.store.get());
    if (!outbox) {
      error = open.error;
    } else {
      where = open.store->describe();
      if (args.sync) error = outbox->sync(forwarded);
      const std::string counted = outbox->pending(waiting);
      if (error.empty()) error = counted;
    }
  }
  if (args.json) {
    Json doc{{"ok", error.empty()}};
    if (!error.empty()) doc["error"] = error;
    if (args.sync) doc["forwarded"] = forwarded;
    doc["pending"] = waiting;
    std::printf("%s\n", doc.dump().c_str());
  } else if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
  } else if (args.sync) {
    std::printf("%lld records sent to %s; %lld waiting\n", static_cast<long long>(forwarded), where.c_str(),
                static_cast<long long>(waiting));
  } else {
    std::printf("%lld\n", static_cast<long long>(waiting));
  }
  return error.empty() ? kExitOk : kExitFailed;
}

int runJournal(const JournalArgs& args, const CliOptions& options) {
  JournalFilter filter;
  if (!makeFilter(args, filter)) return kExitUsage;
  const std::optional<std::string> path = journalPath(options);
  if (!path) {
    std::fprintf(stderr, "the production journal is off\n");
    return kExitFailed;
  }
  if (args.pending || args.sync) return runOutbox(args, *path);
  std::unique_ptr<JournalStore> server;
  if (postgres::isDatabaseLocation(*path)) {
    JournalOpen open = openServerJournal(*path, false);
    if (!open.store) {
      std::fprintf(stderr, "%s\n", open.error.c_str());
      return kExitFailed;
    }
    server = std::move(open.store);
  }
  std::string error;
  if (args.summary) {
    std::vector<JournalSummaryRow> rows;
    error = server ? server->summarise(filter, rows) : summariseJournal(*path, filter, rows);
    if (error.empty()) printSummary(args, rows);
  } else {
    std::vector<JournalRecord> records;
    error = server ? server->query(filter, records, false) : readJournal(*path, filter, records);
    if (error.empty()) printRecords(args, records);
  }
  if (error.empty()) return kExitOk;
  std::fprintf(stderr, "%s\n", error.c_str());
  return kExitFailed;
}

}  // namespace

void addJournalCommand(CLI::App& app, CliOptions& options, int& exitCode) {
  auto* command = app.add_subcommand("journal", "Show the production journal, or its yield per chip model and file");
  auto args = std::make_shared<JournalArgs>();
  command->add_option("--since", args->since, "Records that started at or after this ISO 8601 time (UTC unless given)");
  command->add_option("--until", args->until, "Records that started before this ISO 8601 time");
  command->add_option("--port", args->port, "Records of this port");
  command->add_option("--operation", args->operation, "Records of this operation")
      ->check(CLI::IsMember({"download", "upload", "read", "hwtest", "stats", "update-firmware", "uid"}));
  command->add_option("--result", args->result, "Records that passed or failed")
      ->check(CLI::IsMember({"passed", "failed"}));
  command->add_flag("--summary", args->summary,
                    "Operations, passed, failed and yield per chip model and file checksum");
  auto* pending = command->add_flag(
      "--pending", args->pending, "How many records wait on this station for the journal server (0 for a file)");
  auto* sync = command->add_flag("--sync", args->sync,
                                 "Send the records waiting for the journal server now; exit 1 while it cannot be reached");
  pending->excludes(sync);
  auto* json = command->add_flag("--json", args->json, "Print a JSON array");
  auto* csv = command->add_flag("--csv", args->csv, "Print CSV with a header line");
  json->excludes(csv);
  command->callback([args, &options, &exitCode] { exitCode = runJournal(*args, options); });
}

}  // namespace kt90
