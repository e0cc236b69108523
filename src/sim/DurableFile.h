#pragma once
#include <filesystem>
#include <string>

#include "core/base/Bytes.h"

namespace kt90::sim {

// Replaces the file at `path` by `bytes` so that after a crash or power loss either the
// old or the new content is there, whole: a temporary file beside it is written and
// synced, renamed over it, and the folder synced. Empty on success, else the reason.
std::string replaceFileDurably(const std::filesystem::path& path, ByteView bytes);

// A file that only grows; each append is on the disk before it returns.
class AppendOnlyFile {
 public:
  AppendOnlyFile() = default;
  ~AppendOnlyFile() { close(); }
  AppendOnlyFile(const AppendOnlyFile&) = delete;
  AppendOnlyFile& operator=(const AppendOnlyFile&) = delete;

  // Empty on success, else the reason.
  std::string open(const std::filesystem::path& path);
  std::string append(ByteView bytes);
  void close();
  bool isOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace kt90::sim
