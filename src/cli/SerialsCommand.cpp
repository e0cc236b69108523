// kt90ctl serials: the serial ledger, each rolling-code series with its start, its next
// free serial and the blocks reserved from it.
#include <cstdio>
#include <memory>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "core/base/Encoding.h"
#include "core/journal/SerialArithmetic.h"
#include "core/text/Format.h"

namespace kt90 {

namespace {

Json seriesJson(const SerialSeriesState& state) {
  Json blocks = Json::array();
  for (const SerialBlock& block : state.blocks) {
    blocks.push_back(Json{{"time", block.owner.time},
                          {"host", escapeInvalidUtf8(block.owner.host)},
                          {"port", escapeInvalidUtf8(block.owner.port)},
                          {"programmerUid", block.owner.programmerUid},
                          {"first", block.first},
                          {"last", block.last},
                          {"file", escapeInvalidUtf8(block.owner.file)}});
  }
  // The next serial of a used-up 8-byte series is past what 64 bits hold: null.
  return Json{{"model", state.series.model},
              {"length", state.series.length},
              {"addresses", state.series.addresses},
              {"step", state.series.step},
              {"start", state.series.start},
              {"next", state.exhausted ? Json() : Json(state.next)},
              {"blocks", blocks}};
}

// A serial as its bytes show in the rolling-code dialog, and as the integer.
std::string serialText(std::uint64_t serial, int length) {
  return formatText("0x%0*llX (%llu)", 2 * length, static_cast<unsigned long long>(serial),
                    static_cast<unsigned long long>(serial));
}

void printSeries(const SerialSeriesState& state) {
  const SerialSeries& s = state.series;
  std::printf("%s, %d bytes at %s, step %d, %s, start %s, next %s\n", s.model.c_str(), s.length,
              serialAddressesText(s.addresses).c_str(), s.step, s.instructionKind == 4 ? "MOVLW" : "RETLW",
              serialText(s.start, s.length).c_str(),
              state.exhausted ? "none (used up)" : serialText(state.next, s.length).c_str());
  for (const SerialBlock& block : state.blocks) {
    std::printf("  %s\t%s\t%s\t%s\t%s - %s\t%s\n", block.owner.time.c_str(),
                escapeInvalidUtf8(block.owner.host).c_str(), escapeInvalidUtf8(block.owner.port).c_str(),
                block.owner.programmerUid.empty() ? "-" : block.owner.programmerUid.c_str(),
                serialText(block.first, s.length).c_str(), serialText(block.last, s.length).c_str(),
                escapeInvalidUtf8(block.owner.file).c_str());
  }
}

void runSerials(const CliOptions& options) {
  const std::unique_ptr<JournalStore> journal = openJournal(options, JournalAccess::Read);
  std::vector<SerialSeriesState> series;
  if (std::string error = journal->listSeries(series); !error.empty()) throw CommandFailure(kExitFailed, error);
  if (options.json) {
    Json list = Json::array();
    for (const SerialSeriesState& state : series) list.push_back(seriesJson(state));
    printJson(Json{{"ok", true}, {"series", list}});
    return;
  }
  for (const SerialSeriesState& state : series) printSeries(state);
}

}  // namespace

void addSerialsCommand(CLI::App& app, CliOptions& options, int& exitCode) {
  auto* command = app.add_subcommand(
      "serials", "Show the serial ledger: each rolling-code series, its next free serial and its reserved blocks");
  command->add_flag("--json", options.json, "Print one JSON object: {\"ok\": true, \"series\": [...]}");
  command->callback([&options, &exitCode] {
    runSerials(options);
    exitCode = kExitOk;
  });
}

}  // namespace kt90
