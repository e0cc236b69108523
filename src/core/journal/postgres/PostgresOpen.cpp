#include "core/journal/postgres/PostgresOpen.h"

#include "core/journal/postgres/PostgresJournalStore.h"

namespace kt90 {

// Nothing is contacted here: the first append or read connects, within its own budget.
JournalOpen openPostgresJournal(const std::string& uri, std::unique_ptr<JournalStore> outbox,
                                const std::string&) {
  auto server = std::make_unique<PostgresJournalStore>(uri);
  if (!outbox) return JournalOpen{std::move(server), {}};
  return JournalOpen{std::move(server), {}};
}

}  // namespace kt90
