#pragma once
#include <mutex>
#include <string>

#include "core/journal/JournalStore.h"
#include "core/journal/postgres/PostgresConnection.h"

namespace kt90 {

// The journal and serial ledger of a factory in a PostgreSQL database. The connection is
// made on first need, kept, and made again after a failure. Writing never waits longer
// than kWriteBudget (well inside the 2 s an operation may lose to its journal); a server
// that does not answer in time is dropped and the call fails.
class PostgresJournalStore : public JournalStore {
 public:
  static constexpr std::chrono::milliseconds kWriteBudget{1200};
  static constexpr std::chrono::milliseconds kReadBudget{10000};

  explicit PostgresJournalStore(std::string uri) : uri_(std::move(uri)) {}

  std::string describe() const override;
  JournalAppend append(const JournalRecord& record) override;
  std::string query(const JournalFilter& filter, std::vector<JournalRecord>& records, bool newestFirst) override;
  std::string summarise(const JournalFilter& filter, std::vector<JournalSummaryRow>& rows) override;
  SerialReservation reserveSerials(const SerialSeries& series, std::uint64_t count,
                                   const SerialBlockOwner& owner) override;
  std::string listSeries(std::vector<SerialSeriesState>& series) override;

  // Stores a record a station kept first in its own journal, `origin` naming that journal
  // and `stationRecord` the record's id there: sent again, it is not stored twice. Fails
  // at `deadline` at the latest.
  JournalAppend forward(const JournalRecord& record, const std::string& origin, std::int64_t stationRecord,
                        postgres::Clock::time_point deadline);

 private:
  // Connects (and migrates) when not connected; empty or the reason.
  std::string reach(postgres::Clock::time_point deadline);
  JournalAppend insert(const JournalRecord& record, const postgres::Param& origin, const postgres::Param& stationRecord,
                       postgres::Clock::time_point deadline);
  std::string reason(const std::string& text) const;

  std::string uri_;
  std::mutex mutex_;
  postgres::Connection db_;
};

}  // namespace kt90
