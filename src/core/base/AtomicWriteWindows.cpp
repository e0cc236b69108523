#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "core/base/AtomicWrite.h"

namespace kt90 {
namespace {

std::string systemProblem(const char* step) { return std::string(step) + ": error " + std::to_string(GetLastError()); }

bool writeAll(HANDLE file, ByteView bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

// A file that is open cannot be renamed over: a virus scanner, an indexer or another
// process glancing at it holds it for moments, so the rename is tried again for a while.
bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == 100) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

AtomicWriteOutcome writeAtomically(const AtomicWriteRequest& request) {
  AtomicWriteOutcome outcome;
  const std::filesystem::path temp = temporaryPathFor(request);
  // CREATE_NEW fails on anything already at the name, a planted link included; the
  // reparse-point flag keeps the call from following one. FILE_SHARE_DELETE lets the
  // file be renamed while it stays open and locked.
  const HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    outcome.problem = systemProblem("cannot create a temporary file beside it");
    return outcome;
  }
  if (!writeAll(file, request.bytes)) outcome.problem = systemProblem("cannot write");
  if (outcome.ok() && !FlushFileBuffers(file)) outcome.problem = systemProblem("cannot sync");
  if (outcome.ok() && request.keepLocked) {
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
      outcome.problem = systemProblem("cannot lock");
    }
  }
  if (outcome.ok() && !request.keepLocked) {
    CloseHandle(file);
  }
  if (outcome.ok() && !renameOver(temp, request.target)) {
    outcome.problem = systemProblem("cannot rename it over the file");
    if (request.keepLocked) CloseHandle(file);
    DeleteFileW(temp.c_str());
    return outcome;
  }
  if (!outcome.ok()) {
    CloseHandle(file);
    DeleteFileW(temp.c_str());
    return outcome;
  }
  // MOVEFILE_WRITE_THROUGH returns once the rename is on the disk; Windows has no folder
  // sync to add.
  if (request.keepLocked) outcome.held = reinterpret_cast<NativeFile>(file);
  return outcome;
}

void closeNativeFile(NativeFile file) {
  if (file != kNoNativeFile) CloseHandle(reinterpret_cast<HANDLE>(file));
}

}  // namespace kt90
