#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/base/Bytes.h"

namespace kt90 {

// Why a file was not read.
enum class ReadProblem {
  None,
  Missing,     // nothing of that name
  NotRegular,  // a folder, a device, a FIFO or a socket: never opened, so nothing blocks
  TooLarge,    // bigger than the format can need
  Unreadable,  // exists but cannot be opened or read (permissions, I/O error)
};

struct FileRead {
  Bytes bytes;
  ReadProblem problem = ReadProblem::None;
  bool ok() const { return problem == ReadProblem::None; }
};

// Missing, NotRegular or Unreadable when `path` is no regular file one may open without
// risk (a FIFO would block, a device may never end); None otherwise. Nothing is opened.
ReadProblem regularFileProblem(const std::filesystem::path& path);

// Reads a whole regular file of at most `maxBytes` bytes. The kind and size are checked
// before anything is read, and reading stops at the bound, so memory stays bounded
// whatever the path names.
FileRead readFileBounded(const std::filesystem::path& path, std::uintmax_t maxBytes);

// The first `count` bytes of a regular file (fewer when it is shorter), checked as above;
// for formats whose readers look at a fixed-size start only.
FileRead readFileHead(const std::filesystem::path& path, std::size_t count);

// Short English reason ("not a regular file", "larger than 1048576 bytes"), for logs and
// standard error.
std::string readProblemText(ReadProblem problem, std::uintmax_t maxBytes);

// No file the programs read legitimately comes near this.
inline constexpr std::uintmax_t kAnyFileLimit = 64u << 20;

// Reads a whole regular file up to kAnyFileLimit; nullopt when it cannot be read.
std::optional<Bytes> readWholeFile(const std::filesystem::path& path);

bool fileExists(const std::filesystem::path& path);

// UTF-8 path text to a filesystem path (and back), the same on every host.
std::filesystem::path pathFromUtf8(const std::string& utf8);
std::string pathToUtf8(const std::filesystem::path& path);

}  // namespace kt90
