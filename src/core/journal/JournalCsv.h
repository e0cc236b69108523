#pragma once
#include <string>
#include <vector>

#include "core/journal/JournalRecord.h"

namespace kt90 {

// The records as CSV: a header line of the record's names, then one line per record.
// Fields with a comma, quote or line break are quoted; a record's log lines are one field,
// joined by line breaks.
std::string journalCsv(const std::vector<JournalRecord>& records);

// The yield summary as CSV: model, fileChecksum, operations, passed, failed, yield.
std::string journalSummaryCsv(const std::vector<JournalSummaryRow>& rows);

}  // namespace kt90
