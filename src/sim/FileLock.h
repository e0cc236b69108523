#pragma once
#include <chrono>
#include <filesystem>
#include <string>

namespace kt90::sim {

// An exclusive lock between processes, held on a lock file (which stays in place). The
// system releases it when the process ends, however it ends.
class FileLock {
 public:
  FileLock() = default;
  ~FileLock() { release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  enum class Result { Locked, Busy, Failed };
  // Tries until `wait` has passed while another holder has it.
  Result acquire(const std::filesystem::path& lockFile, std::chrono::milliseconds wait);
  void release();
  bool held() const { return fd_ >= 0; }
  // Why acquire failed (Failed only).
  const std::string& problem() const { return problem_; }

 private:
  int fd_ = -1;
  std::string problem_;
};

}  // namespace kt90::sim
