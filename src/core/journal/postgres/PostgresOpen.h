#pragma once
#include <memory>
#include <string>

#include "core/journal/JournalStore.h"

namespace kt90 {

// The store of a "postgresql://…" location, or why there is none (this build lacks libpq):
// the server alone (to read: `stationJournal` empty), or with an outbox in the station's
// own journal file keeping each record until the server has it.
JournalOpen openPostgresJournal(const std::string& uri, const std::string& stationJournal);

}  // namespace kt90
