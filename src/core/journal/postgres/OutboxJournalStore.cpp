#include "core/journal/postgres/OutboxJournalStore.h"

namespace kt90 {

using postgres::Clock;

OutboxJournalStore::OutboxJournalStore(std::unique_ptr<PostgresJournalStore> server, const std::string& stationJournal)
    : server_(std::move(server)), outbox_(stationJournal) {}

JournalAppend OutboxJournalStore::append(const JournalRecord& record) {
  const std::lock_guard lock(mutex_);
  const Clock::time_point deadline = Clock::now() + PostgresJournalStore::kWriteBudget;
  // Kept first, so a record whose answer never came is sent again and found, not doubled.
  std::int64_t kept = 0;
  if (std::string error = outbox_.keep(record, kept); !error.empty()) {
    if (holdingOff()) return JournalAppend{0, error};
    JournalAppend direct = server_->append(record);
    if (!direct.stored()) direct.error = error + "; " + direct.error;
    return direct;
  }
  std::int64_t forwarded = 0;
  // Kept all the same: the reason is only a note for the log.
  return JournalAppend{kept, holdingOff() ? std::string() : forwardWaiting(deadline, forwarded)};
}

std::string OutboxJournalStore::forwardWaiting(Clock::time_point deadline, std::int64_t& forwarded) {
  std::vector<StationOutbox::Waiting> waiting;
  if (std::string error = outbox_.waiting(waiting); !error.empty()) return error;
  for (const StationOutbox::Waiting& one : waiting) {
    const JournalAppend sent = server_->forward(one.record, outbox_.origin(), one.id, deadline);
    if (!sent.stored()) {
      retryAt_ = Clock::now() + kHoldOff;
      return sent.error;
    }
    if (std::string error = outbox_.done(one.id); !error.empty()) return error;
    ++forwarded;
  }
  retryAt_ = {};
  return {};
}

std::string OutboxJournalStore::sync(std::int64_t& forwarded) {
  const std::lock_guard lock(mutex_);
  forwarded = 0;
  // Nobody waits at a programmer for this: the reading budget, not the operation's.
  return forwardWaiting(Clock::now() + PostgresJournalStore::kReadBudget, forwarded);
}

std::string OutboxJournalStore::pending(std::int64_t& count) {
  const std::lock_guard lock(mutex_);
  return outbox_.count(count);
}

std::string OutboxJournalStore::query(const JournalFilter& filter, std::vector<JournalRecord>& records,
                                      bool newestFirst) {
  return server_->query(filter, records, newestFirst);
}

std::string OutboxJournalStore::summarise(const JournalFilter& filter, std::vector<JournalSummaryRow>& rows) {
  return server_->summarise(filter, rows);
}

std::string OutboxJournalStore::listSeries(std::vector<SerialSeriesState>& series) {
  return server_->listSeries(series);
}

SerialReservation OutboxJournalStore::reserveSerials(const SerialSeries& series, std::uint64_t count,
                                                     const SerialBlockOwner& owner) {
  const std::lock_guard lock(mutex_);
  std::string unreachable = "it did not answer moments ago";
  if (!holdingOff()) {
    SerialReservation fromServer = server_->reserveSerials(series, count, owner);
    // A series that has run out is an answer, not an absent server.
    if (fromServer.block || fromServer.remaining) return fromServer;
    retryAt_ = Clock::now() + kHoldOff;
    unreachable = fromServer.error;
  }
  SerialReservation fromStock = outbox_.takeStock(series, count, owner);
  if (fromStock.block) return fromStock;
  if (fromStock.error.empty()) {
    fromStock.error = "the journal server cannot be reached (" + unreachable + ") and this station holds " +
                      std::to_string(fromStock.remaining.value_or(0)) +
                      " serials of the series reserved ahead, fewer than " + std::to_string(count);
  }
  fromStock.remaining.reset();
  return fromStock;
}

SerialReservation OutboxJournalStore::reserveStock(const SerialSeries& series, std::uint64_t count,
                                                   const SerialBlockOwner& owner) {
  const std::lock_guard lock(mutex_);
  SerialReservation reserved = server_->reserveSerials(series, count, owner);
  if (reserved.block) {
    if (std::string error = outbox_.addStock(series, *reserved.block); !error.empty()) {
      reserved.block.reset();
      reserved.error = error;
    }
  }
  return reserved;
}

std::string OutboxJournalStore::stockLeft(const SerialSeries& series, std::uint64_t& left) {
  const std::lock_guard lock(mutex_);
  return outbox_.stockLeft(series, left);
}

}  // namespace kt90
