#pragma once
#include <string>

#include "core/journal/postgres/PostgresConnection.h"

namespace kt90::postgres {

// The schema version the program writes, kept in the table kt90_schema.
inline constexpr int kSchemaVersion = 1;

// Brings the database's schema up to date from whatever version it has, under a lock that
// makes stations starting together migrate once. Empty on success, else the reason; a
// database of a newer schema is left alone.
std::string migrate(Connection& db, Clock::time_point deadline);

}  // namespace kt90::postgres
