#pragma once
#include <memory>
#include <string>

#include "core/journal/JournalStore.h"

namespace kt90 {

// The store of a "postgresql://…" location, or why there is none (this build lacks libpq):
// the server alone, or with `outbox` (the station's own journal at `outboxPath`) keeping
// each record until the server has it.
JournalOpen openPostgresJournal(const std::string& uri, std::unique_ptr<JournalStore> outbox,
                                const std::string& outboxPath);

}  // namespace kt90
