#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/journal/JournalRecord.h"
#include "core/journal/SerialSeries.h"

namespace kt90 {

// What an append came to: the record's id, or why it was not stored.
struct JournalAppend {
  std::int64_t id = 0;
  std::string error;
  bool stored() const { return id > 0; }
};

// Where the production journal and its serial ledger live: a SQLite file (each station's
// own journal, and its outbox) or a PostgreSQL database shared by a factory. The operation
// frame appends; kt90ctl and the window read; a download with the rolling code on reserves.
// No method throws; texts returned are reasons for the user, never holding a password.
class JournalStore {
 public:
  virtual ~JournalStore() = default;

  // The location as users may see it: a path, or a URI without its password.
  virtual std::string describe() const = 0;

  // Stores one record in a transaction of its own and returns its id (> 0), or the reason
  // it was not stored. Never blocks an operation for long.
  virtual JournalAppend append(const JournalRecord& record) = 0;

  // The records `filter` admits, by id (newest first when `newestFirst`). Empty on
  // success, else the reason.
  virtual std::string query(const JournalFilter& filter, std::vector<JournalRecord>& records,
                            bool newestFirst = false) = 0;

  // Per chip model and file checksum, the records `filter` admits that name a model.
  virtual std::string summarise(const JournalFilter& filter, std::vector<JournalSummaryRow>& rows) = 0;

  // Reserves `count` serials of `series` for one programmer in one transaction that no
  // other process or station can overlap: the block starts at the series' next free serial.
  virtual SerialReservation reserveSerials(const SerialSeries& series, std::uint64_t count,
                                           const SerialBlockOwner& owner) = 0;

  // Every series with its blocks, oldest first. Empty on success, else the reason.
  virtual std::string listSeries(std::vector<SerialSeriesState>& series) = 0;
};

// How the journal is opened: to append (created, with its schema, when missing) or only
// to read (a read-only folder or medium is fine; a missing journal holds no records).
enum class JournalAccess { Append, Read };

struct JournalOpen {
  std::unique_ptr<JournalStore> store;
  std::string error;  // why it cannot be used, when store is null
};

// The one factory: "postgresql://…" or "postgres://…" names a database, anything else a
// SQLite file. A database opened to append keeps each record first in `stationJournal`
// (the station's own journal file, its outbox) until the server has it; without one it
// appends to the server alone.
JournalOpen openJournalStore(const std::string& location, JournalAccess access,
                             const std::string& stationJournal = {});

}  // namespace kt90
