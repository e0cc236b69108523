#include "core/journal/postgres/PostgresOpen.h"

namespace kt90 {

bool journalServerSupported() { return false; }

JournalOpen openPostgresJournal(const std::string&, const std::string&) {
  return JournalOpen{nullptr, "this program was built without PostgreSQL support"};
}

}  // namespace kt90
