#include "core/base/AtomicWrite.h"

#include <random>

namespace kt90 {

namespace {

std::filesystem::path randomTempName(const std::filesystem::path& target) {
  // random_device reads the system's entropy source, so the name cannot be guessed from
  // the process id, the time or an earlier name.
  std::random_device entropy;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string random = ".";
  for (int i = 0; i < 4; ++i) {
    std::uint32_t word = entropy();
    for (int j = 0; j < 8; ++j, word >>= 4) random += kDigits[word & 15u];
  }
  std::filesystem::path name(".");
  name += target.filename();
  name += random + ".tmp";
  return name;
}

}  // namespace

std::filesystem::path temporaryPathFor(const AtomicWriteRequest& request) {
  const std::filesystem::path folder =
      request.target.has_parent_path() ? request.target.parent_path() : std::filesystem::path(".");
  return folder / (request.tempName.empty() ? randomTempName(request.target) : request.tempName);
}

AtomicWriteOutcome writeFileAtomically(const std::filesystem::path& path, ByteView bytes) {
  AtomicWriteRequest request;
  request.target = path;
  request.bytes = bytes;
  return writeAtomically(request);
}

}  // namespace kt90
