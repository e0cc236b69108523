#include "core/journal/JournalRecordJson.h"

#include <nlohmann/json.hpp>

namespace kt90 {

namespace {

using Json = nlohmann::json;

Json optional(const std::optional<std::int64_t>& value) { return value ? Json(*value) : Json(); }

std::optional<std::int64_t> optionalAt(const Json& doc, const char* key) {
  const auto at = doc.find(key);
  if (at == doc.end() || !at->is_number_integer()) return std::nullopt;
  return at->get<std::int64_t>();
}

}  // namespace

std::string journalRecordJson(const JournalRecord& r) {
  return Json{{"time", r.time},
              {"durationMs", r.durationMs},
              {"host", r.host},
              {"operation", r.operation},
              {"port", r.port},
              {"passed", r.passed},
              {"resultCode", optional(r.resultCode)},
              {"programmerUid", r.programmerUid},
              {"firmwareVersion", r.firmwareVersion},
              {"file", r.file},
              {"model", r.model},
              {"codeCrc", optional(r.codeCrc)},
              {"fileChecksum", optional(r.fileChecksum)},
              {"programLimit", optional(r.programLimit)},
              {"downloadLimit", optional(r.downloadLimit)},
              {"rollingCode", r.rollingCode},
              {"serialFirst", r.serialFirst ? Json(*r.serialFirst) : Json()},
              {"serialLast", r.serialLast ? Json(*r.serialLast) : Json()},
              {"countersTotal", optional(r.countersTotal)},
              {"countersSuccesses", optional(r.countersSuccesses)},
              {"log", r.log}}
      .dump();
}

JournalRecord journalRecordFromJson(const std::string& text) {
  const Json doc = Json::parse(text, nullptr, false);
  JournalRecord r;
  if (!doc.is_object()) return r;
  r.time = doc.value("time", "");
  r.durationMs = doc.value("durationMs", std::int64_t{0});
  r.host = doc.value("host", "");
  r.operation = doc.value("operation", "");
  r.port = doc.value("port", "");
  r.passed = doc.value("passed", false);
  r.resultCode = optionalAt(doc, "resultCode");
  r.programmerUid = doc.value("programmerUid", "");
  r.firmwareVersion = doc.value("firmwareVersion", "");
  r.file = doc.value("file", "");
  r.model = doc.value("model", "");
  r.codeCrc = optionalAt(doc, "codeCrc");
  r.fileChecksum = optionalAt(doc, "fileChecksum");
  r.programLimit = optionalAt(doc, "programLimit");
  r.downloadLimit = optionalAt(doc, "downloadLimit");
  r.rollingCode = doc.value("rollingCode", "");
  for (auto [key, out] : {std::pair{"serialFirst", &r.serialFirst}, std::pair{"serialLast", &r.serialLast}}) {
    if (const auto at = doc.find(key); at != doc.end() && at->is_number_unsigned()) *out = at->get<std::uint64_t>();
  }
  r.countersTotal = optionalAt(doc, "countersTotal");
  r.countersSuccesses = optionalAt(doc, "countersSuccesses");
  r.log = doc.value("log", std::vector<std::string>{});
  return r;
}

}  // namespace kt90
