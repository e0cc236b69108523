#include <windows.h>

#include <optional>
#include <thread>

#include "core/base/FileIo.h"
#include "sim/LockedFile.h"

// Windows cannot rename a file over one that is open, so the lock cannot be on the state
// file itself: it is on "<file>.lock" beside the file's one true name (links, short names
// and case resolved), and the state file is closed around a replace while the lock stays.
// A file with several hard links would have several true names, and so is refused.
namespace kt90::sim {
namespace {

std::string systemProblem(const std::string& step) { return step + ": error " + std::to_string(GetLastError()); }

HANDLE handleOf(NativeFile file) { return reinterpret_cast<HANDLE>(file); }

HANDLE openData(const std::filesystem::path& path, DWORD disposition) {
  // Readers may look at the file while it is held; nobody may rename or delete it.
  return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::optional<std::filesystem::path> finalPath(HANDLE file) {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(file, name.data(), static_cast<DWORD>(name.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return std::nullopt;
    if (length < name.size()) {
      name.resize(length);
      return std::filesystem::path(name);
    }
    name.resize(length);
  }
}

// The true name of the file at `path`, created empty when missing. The file is open only
// for this look, so it never stands in the way of a holder's replace for long.
std::optional<std::filesystem::path> trueNameOf(const std::filesystem::path& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::filesystem::path> name = finalPath(file);
  CloseHandle(file);
  return name;
}

bool lockWhole(HANDLE file) {
  OVERLAPPED whole{};
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole);
}

}  // namespace

LockedFile::Result LockedFile::acquire(const std::filesystem::path& path, std::chrono::milliseconds wait) {
  release();
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const std::optional<std::filesystem::path> real = trueNameOf(path);
    if (!real) {
      problem_ = systemProblem("cannot open " + pathToUtf8(path));
      return Result::Failed;
    }
    std::filesystem::path lockPath = *real;
    lockPath += ".lock";
    // Not shared for deleting: the lock file stays while anyone has it open.
    const HANDLE guard = CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (guard == INVALID_HANDLE_VALUE) {
      problem_ = systemProblem("cannot open " + pathToUtf8(lockPath));
      return Result::Failed;
    }
    while (!lockWhole(guard)) {
      if (GetLastError() != ERROR_LOCK_VIOLATION) {
        problem_ = systemProblem("cannot lock " + pathToUtf8(lockPath));
        CloseHandle(guard);
        return Result::Failed;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        CloseHandle(guard);
        return Result::Busy;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    guard_ = reinterpret_cast<NativeFile>(guard);
    const HANDLE file = openData(path, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) {
      problem_ = systemProblem("cannot open " + pathToUtf8(path));
      release();
      return Result::Failed;
    }
    file_ = reinterpret_cast<NativeFile>(file);
    // The name may have been pointed elsewhere while this process waited: look again.
    if (finalPath(file) != real) {
      release();
      continue;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
      problem_ = systemProblem("cannot examine " + pathToUtf8(path));
      release();
      return Result::Failed;
    }
    if (info.nNumberOfLinks > 1) {
      problem_ = pathToUtf8(path) + " has other names (hard links): a state file may have only one";
      release();
      return Result::Failed;
    }
    realPath_ = *real;
    return Result::Locked;
  }
}

std::string LockedFile::replace(ByteView bytes) {
  if (!held()) return "not open";
  closeNativeFile(file_);
  AtomicWriteRequest request;
  request.target = realPath_;
  request.bytes = bytes;
  request.ownerOnly = true;
  const AtomicWriteOutcome outcome = writeAtomically(request);
  // The old file on failure, else the new one.
  const HANDLE file = openData(realPath_, OPEN_EXISTING);
  file_ = file == INVALID_HANDLE_VALUE ? kNoNativeFile : reinterpret_cast<NativeFile>(file);
  if (!outcome.ok()) return outcome.problem;
  return held() ? std::string() : systemProblem("cannot open the new file");
}

std::string LockedFile::append(ByteView bytes) {
  if (!held()) return "not open";
  const HANDLE file = handleOf(file_);
  LARGE_INTEGER end{};
  if (!SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END)) return systemProblem("cannot seek");
  DWORD written = 0;
  std::string problem;
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    problem = systemProblem("cannot write");
  }
  if (problem.empty() && !FlushFileBuffers(file)) problem = systemProblem("cannot sync");
  if (!problem.empty()) {
    // Cut a part of a change back off, so the file is the state before it, whole.
    if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file)) FlushFileBuffers(file);
  }
  return problem;
}

}  // namespace kt90::sim
