#pragma once
#include <chrono>
#include <string>

#include "core/journal/Sqlite.h"

namespace kt90 {

// The schema version the program writes, kept in the file's user_version.
inline constexpr int kJournalSchemaVersion = 2;

// How long a writer waits for another process's write to end before it gives the record up.
inline constexpr std::chrono::seconds kJournalLockWait{5};

// Opens (making it when missing) the journal at `path` for appending: WAL, and the schema
// brought up to date from whatever version the file has, waiting for other writers until
// `deadline`. Empty on success, else the reason; a file of a newer schema is left alone.
std::string openJournalForWriting(sqlite::Connection& db, const std::string& path,
                                  std::chrono::steady_clock::time_point deadline);

// Opens an existing journal read-only (immutable when its folder allows no lock files).
// Empty on success, else the reason; `version` is the file's schema (0: no journal yet).
std::string openJournalForReading(sqlite::Connection& db, const std::string& path, int& version);

// The file's user_version, or -1 when it cannot be read (not a database).
int journalSchemaVersion(sqlite::Connection& db);

}  // namespace kt90
