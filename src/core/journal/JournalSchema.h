#pragma once
#include <string>

#include "core/journal/Sqlite.h"

namespace kt90 {

// The schema version the program writes, kept in the file's user_version.
inline constexpr int kJournalSchemaVersion = 1;

// How long a writer waits for another process's write to end before it gives the record up.
inline constexpr int kJournalBusyTimeoutMs = 5000;

// Opens (making it when missing) the journal at `path` for appending: WAL, the busy
// timeout, and the schema brought up to date from whatever version the file has. Empty on
// success, else the reason; a file of a newer schema is left alone.
std::string openJournalForWriting(sqlite::Connection& db, const std::string& path);

// Opens an existing journal read-only. Empty on success, else the reason. `empty` tells a
// file that holds no journal yet (version 0).
std::string openJournalForReading(sqlite::Connection& db, const std::string& path, bool& empty);

// The file's user_version, or -1 when it cannot be read (not a database).
int journalSchemaVersion(sqlite::Connection& db);

}  // namespace kt90
