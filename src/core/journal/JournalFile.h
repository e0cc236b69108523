#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "core/journal/JournalSink.h"
#include "core/journal/Sqlite.h"

namespace kt90 {

// The production journal in its SQLite file. Appending opens the file on first need (and
// again after a failure, so a journal that becomes writable starts to fill), writes each
// record in a transaction of its own and says once when a record is lost.
class JournalFile : public JournalSink {
 public:
  explicit JournalFile(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }

  std::string append(const JournalRecord& record) override;

 private:
  std::string store(const JournalRecord& record);

  std::string path_;
  std::mutex mutex_;
  sqlite::Connection db_;
  bool lossReported_ = false;
};

// The records `filter` admits, oldest first (newest first when `newestFirst`). Empty on
// success, else the reason. A journal that does not exist yet holds no records.
std::string readJournal(const std::string& path, const JournalFilter& filter, std::vector<JournalRecord>& records,
                        bool newestFirst = false);

// Per chip model and file checksum, the records `filter` admits that name a model.
std::string summariseJournal(const std::string& path, const JournalFilter& filter,
                             std::vector<JournalSummaryRow>& rows);

}  // namespace kt90
