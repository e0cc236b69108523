#pragma once
#include <string>

#include "core/journal/JournalRecord.h"

namespace kt90 {

// A record as one JSON text and back, for records kept on their way elsewhere. Fields a
// text lacks stay empty.
std::string journalRecordJson(const JournalRecord& record);
JournalRecord journalRecordFromJson(const std::string& text);

}  // namespace kt90
