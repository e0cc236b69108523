// One libFuzzer harness per program-file reader: KT90_FUZZ_TARGET names the target
// function of ProgfileTargets.h this executable runs.
#include "ProgfileTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kt90::fuzz::KT90_FUZZ_TARGET(kt90::ByteView(data, size));
  return 0;
}
