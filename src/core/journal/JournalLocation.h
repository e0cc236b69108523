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

// The station every record names: the name chosen for this process, else this computer's.
std::string stationName();
// Chooses the station's name for this process: `option` (--station or the window's
// setting), else `environment` (KT90_STATION); empty values count as not given.
void chooseStationName(const std::optional<std::string>& option, const char* environment);
// This computer's name (one file per platform).
std::string computerName();

}  // namespace kt90
