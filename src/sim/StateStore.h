#pragma once
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/LockedFile.h"
#include "sim/StateFile.h"

namespace kt90::sim {

class Emulator;

// The emulated programmer's non-volatile memory: its state file, held by one process at a
// time. After each request the caller commits; what changed since the last commit (found
// by comparing the encoding, so no change can be missed) is appended to the file as one
// change and synced before the reply may leave. When the file has grown past a bound it
// is rewritten whole instead (atomic replace). The file is private to its user (0600).
class StateStore {
 public:
  // Bytes in the file; it is rewritten whole when a change would take it past this.
  static constexpr std::uintmax_t kCompactAt = 1u << 20;

  explicit StateStore(std::filesystem::path path, std::uintmax_t compactAt = kCompactAt);

  // Takes the file for this process, waiting up to `lockWait` while another has it, then
  // loads it into `emulator` when it exists. Empty on success, else the message (naming
  // the file); the store is then unusable.
  std::string open(Emulator& emulator, std::chrono::milliseconds lockWait);
  // Makes what changed in `emulator` since the last commit durable. Empty on success,
  // else the message; after a failure every commit fails.
  std::string commit(const Emulator& emulator);
  // Gives the file up to the next user.
  void close();

  bool isOpen() const { return file_.held() && problem_.empty(); }
  // Whether open succeeded (the state was loaded), whatever came after.
  bool loaded() const { return loaded_; }
  const std::filesystem::path& path() const { return path_; }
  // The first failure of open or commit, empty while there was none.
  const std::string& problem() const { return problem_; }

 private:
  std::vector<StateRecord> changesSince(const std::vector<StateRecord>& now) const;
  std::string rewrite(const std::vector<StateRecord>& records);
  std::string fail(const std::string& reason);

  std::filesystem::path path_;
  std::uintmax_t compactAt_;
  LockedFile file_;
  std::vector<StateRecord> persisted_;  // what the file holds, record by record
  std::uintmax_t size_ = 0;
  bool appendable_ = false;  // the file exists in the current format
  bool loaded_ = false;
  std::string problem_;
};

// How long a second user waits for a state file: KT90_SIM_LOCK_WAIT_MS, else 10 s.
std::chrono::milliseconds stateLockWait();

}  // namespace kt90::sim
