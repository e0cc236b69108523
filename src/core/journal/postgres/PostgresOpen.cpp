#include "core/journal/postgres/PostgresOpen.h"

#include "core/journal/postgres/OutboxJournalStore.h"

namespace kt90 {

// Nothing is contacted here: the first append or read connects, within its own budget.
bool journalServerSupported() { return true; }

JournalOpen openPostgresJournal(const std::string& uri, const std::string& stationJournal) {
  auto server = std::make_unique<PostgresJournalStore>(uri);
  if (stationJournal.empty()) return JournalOpen{std::move(server), {}};
  return JournalOpen{std::make_unique<OutboxJournalStore>(std::move(server), stationJournal), {}};
}

}  // namespace kt90
