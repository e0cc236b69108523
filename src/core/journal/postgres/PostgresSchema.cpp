#include "core/journal/postgres/PostgresSchema.h"

#include <iterator>

namespace kt90::postgres {

namespace {

// kMigrations[v] takes a database from version v to v + 1. Append, never edit: factories
// run databases of every earlier version. Serials are numeric: eight serial bytes do not
// fit a signed bigint.
const char* const kMigrations[] = {
    "CREATE TABLE record ("
    " id bigserial PRIMARY KEY,"
    " origin text,"
    " station_record bigint,"
    " time text NOT NULL,"
    " duration_ms bigint NOT NULL,"
    " host text NOT NULL,"
    " operation text NOT NULL,"
    " port text NOT NULL,"
    " passed boolean NOT NULL,"
    " result_code bigint,"
    " programmer_uid text NOT NULL,"
    " firmware_version text NOT NULL,"
    " file text NOT NULL,"
    " model text NOT NULL,"
    " code_crc bigint,"
    " file_checksum bigint,"
    " program_limit bigint,"
    " download_limit bigint,"
    " rolling_code text NOT NULL,"
    " serial_first numeric(20),"
    " serial_last numeric(20),"
    " counters_total bigint,"
    " counters_successes bigint,"
    " log text NOT NULL,"
    " UNIQUE (origin, station_record));"
    "CREATE INDEX record_time ON record(time);"
    "CREATE TABLE serial_series ("
    " id bigserial PRIMARY KEY,"
    " model text NOT NULL,"
    " length integer NOT NULL,"
    " addresses text NOT NULL,"
    " step integer NOT NULL,"
    " instruction_kind integer NOT NULL,"
    " start numeric(20) NOT NULL,"
    " next numeric(20) NOT NULL,"
    " exhausted boolean NOT NULL DEFAULT false,"
    " UNIQUE (model, length, addresses, step, instruction_kind, start));"
    "CREATE TABLE serial_block ("
    " id bigserial PRIMARY KEY,"
    " series bigint NOT NULL REFERENCES serial_series(id),"
    " time text NOT NULL,"
    " host text NOT NULL,"
    " port text NOT NULL,"
    " programmer_uid text NOT NULL,"
    " file text NOT NULL,"
    " first numeric(20) NOT NULL,"
    " last numeric(20) NOT NULL);",
};
static_assert(std::size(kMigrations) == kSchemaVersion);

// Any constant will do as long as it stays the same: stations serialise on it.
constexpr const char* kMigrationLock = "SELECT pg_advisory_xact_lock(7390001)";

}  // namespace

std::string migrate(Connection& db, Clock::time_point deadline) {
  Outcome outcome = db.exec(
      "BEGIN; " + std::string(kMigrationLock) + "; CREATE TABLE IF NOT EXISTS kt90_schema (version integer NOT NULL)",
      deadline);
  Result rows;
  if (outcome.ok()) outcome = db.exec("SELECT version FROM kt90_schema", {}, &rows, deadline);
  // The multi-statement form returns only its last result: ask for the version on its own.
  if (outcome.ok() && rows.rows() == 0) outcome = db.exec("SELECT 0 AS version", {}, &rows, deadline);
  const int version = outcome.ok() ? static_cast<int>(rows.integer(0, 0)) : 0;
  if (outcome.ok() && version > kSchemaVersion) {
    db.exec("ROLLBACK", deadline);
    return "written by a newer program (schema " + std::to_string(version) + ")";
  }
  for (int v = version; v < kSchemaVersion && outcome.ok(); ++v) outcome = db.exec(kMigrations[v], deadline);
  if (outcome.ok() && version < kSchemaVersion) {
    outcome = db.exec(
        "DELETE FROM kt90_schema; INSERT INTO kt90_schema VALUES (" + std::to_string(kSchemaVersion) + ")", deadline);
  }
  if (outcome.ok()) outcome = db.exec("COMMIT", deadline);
  if (!outcome.ok() && !outcome.lost) db.exec("ROLLBACK", deadline);
  return outcome.error;
}

}  // namespace kt90::postgres
