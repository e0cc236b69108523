#include "InProcessHarness.h"
#include "OperationSuite.h"

namespace kt90::testing {

INSTANTIATE_TYPED_TEST_SUITE_P(InProcess, OperationSuite, InProcessHarness);

}  // namespace kt90::testing
