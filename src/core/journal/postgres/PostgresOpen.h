#pragma once
#include <string>

#include "core/journal/JournalStore.h"

namespace kt90 {

// The store of a "postgresql://…" location, or why there is none (this build lacks libpq).
JournalOpen openPostgresJournal(const std::string& uri);

}  // namespace kt90
