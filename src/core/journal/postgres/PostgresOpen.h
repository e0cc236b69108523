#pragma once
#include <memory>
#include <string>

#include "core/journal/JournalStore.h"

namespace kt90 {

// Whether a journal location names a database: "postgresql://…" or "postgres://…".
inline bool isDatabaseLocation(const std::string& location) {
  return location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0;
}

// The store of a "postgresql://…" location, or why there is none (this build lacks libpq):
// the server alone (to read: `stationJournal` empty), or with an outbox in the station's
// own journal file keeping each record until the server has it.
JournalOpen openPostgresJournal(const std::string& uri, const std::string& stationJournal);

// Whether this build can reach a PostgreSQL server (it has libpq).
bool journalServerSupported();

}  // namespace kt90
