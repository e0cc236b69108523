#include <windows.h>

#include <thread>

#include "core/base/FileIo.h"
#include "sim/LockedFile.h"

namespace kt90::sim {
namespace {

std::string systemProblem(const std::string& step) { return step + ": error " + std::to_string(GetLastError()); }

HANDLE handleOf(NativeFile file) { return reinterpret_cast<HANDLE>(file); }

bool lockWhole(HANDLE file) {
  OVERLAPPED whole{};
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole);
}

// Whether `file` is still the file at `path` (a holder may have replaced it meanwhile).
bool stillNamed(HANDLE file, const std::filesystem::path& path) {
  const HANDLE named = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION a{}, b{};
  const bool same = GetFileInformationByHandle(file, &a) && GetFileInformationByHandle(named, &b) &&
                    a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
                    a.nFileIndexLow == b.nFileIndexLow;
  CloseHandle(named);
  return same;
}

}  // namespace

LockedFile::Result LockedFile::acquire(const std::filesystem::path& path, std::chrono::milliseconds wait) {
  release();
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      problem_ = systemProblem("cannot open " + pathToUtf8(path));
      return Result::Failed;
    }
    while (!lockWhole(file)) {
      if (GetLastError() != ERROR_LOCK_VIOLATION) {
        problem_ = systemProblem("cannot lock " + pathToUtf8(path));
        CloseHandle(file);
        return Result::Failed;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        CloseHandle(file);
        return Result::Busy;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::error_code error;
    std::filesystem::path real = std::filesystem::canonical(path, error);
    if (!error && stillNamed(file, real)) {
      file_ = reinterpret_cast<NativeFile>(file);
      realPath_ = std::move(real);
      return Result::Locked;
    }
    CloseHandle(file);
  }
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
