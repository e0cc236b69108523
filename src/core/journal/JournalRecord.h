#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kt90 {

// One device operation as the production journal keeps it. Empty texts and absent numbers
// are what the operation did not learn (no programmer answered, no program involved).
struct JournalRecord {
  std::int64_t id = 0;  // given by the journal when stored: stable, increasing
  std::string time;  // start, ISO 8601 UTC with milliseconds: 2024-05-01T08:30:00.125Z
  std::int64_t durationMs = 0;
  std::string host;       // the station's computer name
  std::string operation;  // download, upload, read, hwtest, stats, update-firmware, uid
  std::string port;
  bool passed = false;
  std::optional<std::int64_t> resultCode;  // a debugger-type programmer's code of a failed chip
  std::string programmerUid;
  std::string firmwareVersion;
  std::string file;
  std::string model;
  std::optional<std::int64_t> codeCrc;
  std::optional<std::int64_t> fileChecksum;
  std::optional<std::int64_t> programLimit;
  std::optional<std::int64_t> downloadLimit;
  std::string rollingCode;
  std::optional<std::uint64_t> serialFirst;  // the serial block of a download with the rolling code on
  std::optional<std::uint64_t> serialLast;
  std::optional<std::int64_t> countersTotal;  // the production counters, when read
  std::optional<std::int64_t> countersSuccesses;
  std::vector<std::string> log;

  bool operator==(const JournalRecord&) const = default;
};

// "Passed" or "Failed".
inline const char* resultName(bool passed) { return passed ? "Passed" : "Failed"; }

// Which records a query returns; empty members do not filter.
struct JournalFilter {
  std::string since;  // records that started at or after (canonical time, see JournalTime.h)
  std::string until;  // records that started before
  std::string port;
  std::string operation;
  std::optional<bool> passed;
  std::size_t limit = 0;  // the newest `limit` records; 0: all
  std::int64_t afterId = 0;  // records stored after the one of this id; 0: from the first
};

// The yield of one program: chip model and file checksum.
struct JournalSummaryRow {
  std::string model;
  std::optional<std::int64_t> fileChecksum;
  std::int64_t operations = 0;
  std::int64_t passed = 0;
  std::int64_t failed = 0;
  double yieldPercent = 0.0;
};

}  // namespace kt90
