#pragma once
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/base/AtomicWrite.h"
#include "core/base/Bytes.h"

namespace kt90::sim {

// A file held by one process at a time: every name that reaches it (a symlink, a hard
// link, another spelling of the path) meets the same lock. On POSIX the lock is on the
// file itself; Windows cannot replace an open file, so there it is on a lock file beside
// it (LockedFileWindows.cpp). The system releases it when the process ends, however it
// ends. The file only grows while held; it is replaced whole and then held on.
class LockedFile {
 public:
  LockedFile() = default;
  ~LockedFile() { release(); }
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  enum class Result { Locked, Busy, Failed };
  // Opens the file, creating it empty and private to the user (0600) when missing, and
  // tries until `wait` has passed while another holder has it.
  Result acquire(const std::filesystem::path& path, std::chrono::milliseconds wait);
  // Replaces the file by `bytes` (atomically through writeAtomically, kept locked
  // throughout). Empty on success,
  // else the reason; on failure the old file is still held.
  std::string replace(ByteView bytes);
  // Appends `bytes` and syncs them. A failed append (a full disk) is cut back, so the file
  // ends after the last complete append. Empty on success, else the reason.
  std::string append(ByteView bytes);
  void release();

  bool held() const { return file_ != kNoNativeFile; }
  // The file's own path with every link resolved: a rename over it replaces the file,
  // not a link to it.
  const std::filesystem::path& realPath() const { return realPath_; }
  // Why acquire failed (Failed only).
  const std::string& problem() const { return problem_; }

 private:
  NativeFile file_ = kNoNativeFile;
  NativeFile guard_ = kNoNativeFile;  // the lock file, where the lock is not on the file
  std::filesystem::path realPath_;
  std::string problem_;
};

}  // namespace kt90::sim
