#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/base/Bytes.h"

namespace kt90 {

// An open file of the system (a descriptor on POSIX, a HANDLE on Windows).
using NativeFile = std::intptr_t;
inline constexpr NativeFile kNoNativeFile = -1;

struct AtomicWriteRequest {
  std::filesystem::path target;
  ByteView bytes;
  // Only the owner may read or write the new file (0600), for files holding secrets.
  bool ownerOnly = false;
  // The new file is locked exclusively before it takes the target's name and handed back
  // open, so a process keeping the target locked never lets go of it in between.
  bool keepLocked = false;
  // The temporary file's name in the target's folder; empty means an unpredictable one.
  // Tests force it to show that whatever lies at that name is never followed.
  std::filesystem::path tempName;
};

struct AtomicWriteOutcome {
  // Empty on success, else the step that failed and the system's reason.
  std::string problem;
  // With keepLocked: the new file, open and locked; the caller closes it.
  NativeFile held = kNoNativeFile;
  bool ok() const { return problem.empty(); }
};

// Replaces the target by the bytes so that whatever happens (a crash, a full disk, power
// loss, another process saving the same file) the target is either the old or the new
// content, whole: a new file created exclusively beside it (never through a link) is
// written and synced, renamed over the target, and the folder synced. On failure the
// temporary file is removed and the target is untouched.
AtomicWriteOutcome writeAtomically(const AtomicWriteRequest& request);

// The common case: `bytes` to `path`, readable as the user's files are.
AtomicWriteOutcome writeFileAtomically(const std::filesystem::path& path, ByteView bytes);

// Closes a file handed back by keepLocked (releasing its lock).
void closeNativeFile(NativeFile file);

// Where the new content is written first: in the target's folder, under the request's
// tempName or else a name no other process can predict (the target's name and random bytes).
std::filesystem::path temporaryPathFor(const AtomicWriteRequest& request);

}  // namespace kt90
