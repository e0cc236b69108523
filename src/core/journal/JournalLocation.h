#pragma once
#include <optional>
#include <string>

namespace kt90 {

inline constexpr const char* kJournalFileName = "journal.sqlite";

// The journal of this run: the path of --journal, else of KT90_JOURNAL, else
// journal.sqlite in the user's data folder `userDir` (which is created when missing; a
// folder given on purpose is not). "off" where a path would be turns the journal off; so
// does the lack of any place. Empty values count as not given.
std::optional<std::string> journalLocation(const std::optional<std::string>& option, const char* environment,
                                           const std::string& userDir);

// The name of this computer, which every record carries.
std::string stationName();

}  // namespace kt90
