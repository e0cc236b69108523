#pragma once
#include <chrono>
#include <optional>
#include <string>

namespace kt90 {

// The journal's times are ISO 8601 in UTC with milliseconds, "2024-05-01T08:30:00.125Z":
// one fixed width, so text order is time order.
std::string journalTime(std::chrono::system_clock::time_point time);

// A time given on a command line or in a filter, in the journal's form: a date
// ("2024-05-01", midnight), or a date and time to the minute, second or millisecond, with
// "T" or a space between, and "Z", "+08:00", "+0800" or "+08" after (none means UTC).
// Nothing when `text` is no such time.
std::optional<std::string> canonicalJournalTime(const std::string& text);

}  // namespace kt90
