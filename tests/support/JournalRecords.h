#pragma once
#include <cstdint>
#include <limits>
#include <ostream>

#include "core/journal/JournalRecord.h"
#include "core/journal/JournalRecordJson.h"

namespace kt90 {

// A failed comparison shows the records as JSON, not as bytes.
inline void PrintTo(const JournalRecord& record, std::ostream* out) { *out << journalRecordJson(record); }

}  // namespace kt90

namespace kt90::test {

// A record with every field set to a value no other field has, serials at the top of 64
// bits: a store that swaps two columns or narrows a number gives back another record.
inline JournalRecord everyFieldSet() {
  JournalRecord r;
  r.time = "2024-05-01T08:30:00.125Z";
  r.durationMs = 1625;
  r.host = "line2-station";
  r.operation = "download";
  r.port = "sim:/srv/a.state";
  r.passed = false;
  r.resultCode = 3;
  r.programmerUid = "4B5439300005202400000001";
  r.firmwareVersion = "KT90DB V5.2";
  r.file = "/srv/line2/产品.vk";
  r.model = "VK1620";
  r.codeCrc = 0x9F2A;
  r.fileChecksum = 0x8BF2;
  r.programLimit = 500;
  r.downloadLimit = 7;
  r.rollingCode = "00 00 12 34";
  r.serialFirst = std::numeric_limits<std::uint64_t>::max() - 9;
  r.serialLast = std::numeric_limits<std::uint64_t>::max();
  r.countersTotal = 1200;
  r.countersSuccesses = 1187;
  r.log = {"first line", "second, \"quoted\" line", ""};
  return r;
}

}  // namespace kt90::test
