// One libFuzzer harness per wire target: KT90_FUZZ_TARGET names the target function of
// WireTargets.h this executable runs.
#include "WireTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kt90::fuzz::KT90_FUZZ_TARGET(kt90::ByteView(data, size));
  return 0;
}
