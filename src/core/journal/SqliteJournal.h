#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "core/journal/JournalStore.h"
#include "core/journal/Sqlite.h"

namespace kt90 {

// The journal and its serial ledger in one SQLite file. Appending opens the file on first
// need (and again after a failure, so a journal that becomes writable starts to fill) and
// waits for another program's write lock at most kJournalLockWait. Reading opens the file
// afresh each time, read-only, so another process's new records show.
class SqliteJournal : public JournalStore {
 public:
  explicit SqliteJournal(std::string path) : path_(std::move(path)) {}

  std::string describe() const override { return path_; }
  JournalAppend append(const JournalRecord& record) override;
  std::string query(const JournalFilter& filter, std::vector<JournalRecord>& records, bool newestFirst) override;
  std::string summarise(const JournalFilter& filter, std::vector<JournalSummaryRow>& rows) override;
  SerialReservation reserveSerials(const SerialSeries& series, std::uint64_t count,
                                   const SerialBlockOwner& owner) override;
  std::string listSeries(std::vector<SerialSeriesState>& series) override;

 private:
  // The writing connection, opened when needed; empty, else the reason.
  std::string openWriter(std::chrono::steady_clock::time_point deadline);
  // A failed write may leave a stale connection (file replaced, disk gone): open afresh next time.
  std::string dropWriter(const std::string& reason);
  // A reading connection; `version` the file's schema. Empty, else the reason with the path.
  std::string openReader(sqlite::Connection& db, int& version) const;
  std::string withPath(const std::string& reason) const { return path_ + ": " + reason; }
  SerialReservation reserveLocked(const SerialSeries& series, std::uint64_t count, const SerialBlockOwner& owner);

  std::string path_;
  std::mutex mutex_;
  sqlite::Connection writer_;
};

}  // namespace kt90
