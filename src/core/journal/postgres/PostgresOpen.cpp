#include "core/journal/postgres/PostgresOpen.h"

#include "core/journal/postgres/PostgresJournalStore.h"

namespace kt90 {

// Nothing is contacted here: the first append or read connects, within its own budget.
JournalOpen openPostgresJournal(const std::string& uri) {
  return JournalOpen{std::make_unique<PostgresJournalStore>(uri), {}};
}

}  // namespace kt90
