#pragma once
#include <memory>
#include <mutex>

#include "core/journal/JournalOutbox.h"
#include "core/journal/JournalStore.h"
#include "core/journal/StationOutbox.h"
#include "core/journal/postgres/PostgresJournalStore.h"

namespace kt90 {

// A station's view of the factory journal: every record goes first into the outbox in the
// station's own journal file, then on to the server, older waiting records ahead of it.
// When the server fails, records stay in the outbox and the server is left alone for
// kHoldOff, so one operation's many records cost one wait at most; the next operation, or
// sync(), tries again. Reading and reserving go to the server; a reservation while it is away is served
// only from serials reserved ahead (reserveStock), never guessed.
// An append kept in the outbox is stored (its id is the outbox's); its `error` then notes
// why the server did not take it.
class OutboxJournalStore : public JournalStore, public JournalOutbox {
 public:
  static constexpr std::chrono::seconds kHoldOff{5};

  OutboxJournalStore(std::unique_ptr<PostgresJournalStore> server, const std::string& stationJournal);

  std::string describe() const override { return server_->describe(); }
  JournalAppend append(const JournalRecord& record) override;
  std::string query(const JournalFilter& filter, std::vector<JournalRecord>& records, bool newestFirst) override;
  std::string summarise(const JournalFilter& filter, std::vector<JournalSummaryRow>& rows) override;
  SerialReservation reserveSerials(const SerialSeries& series, std::uint64_t count,
                                   const SerialBlockOwner& owner) override;
  std::string listSeries(std::vector<SerialSeriesState>& series) override;

  std::string sync(std::int64_t& forwarded) override;
  std::string pending(std::int64_t& count) override;
  SerialReservation reserveStock(const SerialSeries& series, std::uint64_t count,
                                 const SerialBlockOwner& owner) override;
  std::string stockLeft(const SerialSeries& series, std::uint64_t& left) override;

 private:
  // Forwards waiting records in order until none is left or the server fails (then holds
  // off). Empty, else the reason.
  std::string forwardWaiting(postgres::Clock::time_point deadline, std::int64_t& forwarded);
  bool holdingOff() const { return postgres::Clock::now() < retryAt_; }

  std::unique_ptr<PostgresJournalStore> server_;
  StationOutbox outbox_;
  std::mutex mutex_;
  postgres::Clock::time_point retryAt_{};
};

}  // namespace kt90
