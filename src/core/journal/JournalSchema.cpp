#include "core/journal/JournalSchema.h"

#include <sqlite3.h>

#include <iterator>

namespace kt90 {

namespace {

// kMigrations[v] takes a file from version v to v + 1. Append, never edit: files of every
// earlier version are out in the field.
const char* const kMigrations[] = {
    "CREATE TABLE record ("
    " id INTEGER PRIMARY KEY,"
    " time TEXT NOT NULL,"
    " duration_ms INTEGER NOT NULL,"
    " host TEXT NOT NULL,"
    " operation TEXT NOT NULL,"
    " port TEXT NOT NULL,"
    " passed INTEGER NOT NULL,"
    " result_code INTEGER,"
    " programmer_uid TEXT NOT NULL,"
    " firmware_version TEXT NOT NULL,"
    " file TEXT NOT NULL,"
    " model TEXT NOT NULL,"
    " code_crc INTEGER,"
    " file_checksum INTEGER,"
    " program_limit INTEGER,"
    " download_limit INTEGER,"
    " rolling_code TEXT NOT NULL,"
    " counters_total INTEGER,"
    " counters_successes INTEGER,"
    " log TEXT NOT NULL);"
    "CREATE INDEX record_time ON record(time);",

    // Serials are the 64-bit pattern of the unsigned serial; `exhausted` marks a series whose
    // next serial lies past its end (which 64 bits cannot hold for 8-byte serials).
    "ALTER TABLE record ADD COLUMN serial_first INTEGER;"
    "ALTER TABLE record ADD COLUMN serial_last INTEGER;"
    "CREATE TABLE serial_series ("
    " id INTEGER PRIMARY KEY,"
    " model TEXT NOT NULL,"
    " length INTEGER NOT NULL,"
    " addresses TEXT NOT NULL,"
    " step INTEGER NOT NULL,"
    " instruction_kind INTEGER NOT NULL,"
    " start INTEGER NOT NULL,"
    " next INTEGER NOT NULL,"
    " exhausted INTEGER NOT NULL,"
    " UNIQUE (model, length, addresses, step, instruction_kind, start));"
    "CREATE TABLE serial_block ("
    " id INTEGER PRIMARY KEY,"
    " series INTEGER NOT NULL REFERENCES serial_series(id),"
    " time TEXT NOT NULL,"
    " host TEXT NOT NULL,"
    " port TEXT NOT NULL,"
    " programmer_uid TEXT NOT NULL,"
    " first INTEGER NOT NULL,"
    " last INTEGER NOT NULL,"
    " file TEXT NOT NULL);"
    "CREATE INDEX serial_block_series ON serial_block(series);",
};
static_assert(std::size(kMigrations) == kJournalSchemaVersion);

std::string migrate(sqlite::Connection& db) {
  int version = journalSchemaVersion(db);
  if (version < 0) return db.lastError();
  if (version == kJournalSchemaVersion) return {};
  if (version > kJournalSchemaVersion) return "written by a newer program (schema " + std::to_string(version) + ")";
  // Another process may migrate at the same moment: decide again under the write lock.
  if (std::string error = db.exec("BEGIN IMMEDIATE"); !error.empty()) return error;
  version = journalSchemaVersion(db);
  std::string error;
  for (int v = version; v < kJournalSchemaVersion && error.empty() && v >= 0; ++v) error = db.exec(kMigrations[v]);
  if (error.empty() && version < kJournalSchemaVersion) {
    error = db.exec("PRAGMA user_version = " + std::to_string(kJournalSchemaVersion));
  }
  if (error.empty()) error = db.exec("COMMIT");
  if (!error.empty()) db.exec("ROLLBACK");
  return error;
}

}  // namespace

int journalSchemaVersion(sqlite::Connection& db) {
  sqlite::Statement query(db, "PRAGMA user_version");
  if (!query.step()) return -1;
  return static_cast<int>(query.integer(0));
}

std::string openJournalForWriting(sqlite::Connection& db, const std::string& path,
                                  std::chrono::steady_clock::time_point deadline) {
  if (std::string error = db.open(path, sqlite::Connection::Mode::ReadWriteCreate); !error.empty()) return error;
  db.waitForLocksUntil(deadline);
  // WAL lets readers and one writer at a time work side by side; NORMAL still survives a
  // killed process, only a power cut may cost the last records.
  std::string error = db.execWhileBusy("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL");
  if (error.empty()) error = migrate(db);
  if (!error.empty()) db = sqlite::Connection();
  return error;
}

std::string openJournalForReading(sqlite::Connection& db, const std::string& path, int& version) {
  if (std::string error = db.open(path, sqlite::Connection::Mode::ReadOnly); !error.empty()) return error;
  version = journalSchemaVersion(db);
  // A WAL journal needs its -shm file, which a read-only folder or medium cannot give:
  // nobody can write there either, so the file is read as it stands.
  const int code = db.lastErrorCode();
  if (version < 0 && (code == SQLITE_CANTOPEN || code == SQLITE_READONLY || code == SQLITE_IOERR)) {
    if (std::string error = db.open(path, sqlite::Connection::Mode::Immutable); !error.empty()) return error;
    version = journalSchemaVersion(db);
  }
  std::string error;
  if (version < 0) error = db.lastError();
  if (version > kJournalSchemaVersion) error = "written by a newer program (schema " + std::to_string(version) + ")";
  if (!error.empty()) {
    db = sqlite::Connection();
    return error;
  }
  return {};
}

}  // namespace kt90
