#include "sim/LockedFile.h"

namespace kt90::sim {

void LockedFile::release() {
  closeNativeFile(file_);
  file_ = kNoNativeFile;
  closeNativeFile(guard_);
  guard_ = kNoNativeFile;
}

}  // namespace kt90::sim
