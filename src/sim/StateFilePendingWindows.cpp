// Until the state file's lock and durable write have their Windows files, --sim refuses
// on Windows with a reason instead of working without them.
#include "sim/DurableFile.h"
#include "sim/FileLock.h"

namespace kt90::sim {

namespace {
const char* const kNotYet = "the emulator's state file is not supported on Windows yet";
}  // namespace

FileLock::Result FileLock::acquire(const std::filesystem::path&, std::chrono::milliseconds) {
  problem_ = kNotYet;
  return Result::Failed;
}

void FileLock::release() {}

std::string replaceFileDurably(const std::filesystem::path&, ByteView) { return kNotYet; }

std::string AppendOnlyFile::open(const std::filesystem::path&) { return kNotYet; }
std::string AppendOnlyFile::append(ByteView) { return kNotYet; }
void AppendOnlyFile::close() {}

}  // namespace kt90::sim
