#include <QCoreApplication>

#include "OperationSuite.h"
#include "PtyHarness.h"

namespace kt90::testing {

namespace {

// The program has a QCoreApplication while it uses serial ports; so do these tests.
class QtApplication : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QCoreApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "test_ops_link";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> app_;
};

const auto* const kQtApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(OverPty, OperationSuite, PtyHarness);

}  // namespace kt90::testing
