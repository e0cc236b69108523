#include "sim/LockedFile.h"

namespace kt90::sim {

std::string LockedFile::replace(ByteView bytes) {
  if (!held()) return "not open";
  AtomicWriteRequest request;
  request.target = realPath_;
  request.bytes = bytes;
  request.ownerOnly = true;
  request.keepLocked = true;
  const AtomicWriteOutcome outcome = writeAtomically(request);
  if (outcome.held != kNoNativeFile) {
    // The new file was locked before it took the name; the old one, now nameless, can go.
    closeNativeFile(file_);
    file_ = outcome.held;
  }
  return outcome.problem;
}

void LockedFile::release() {
  closeNativeFile(file_);
  file_ = kNoNativeFile;
}

}  // namespace kt90::sim
