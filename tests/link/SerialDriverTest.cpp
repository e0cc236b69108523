#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "SimProcess.h"
#include "core/programmer/Commands.h"
#include "core/programmer/StorageMap.h"
#include "link/SerialDriver.h"

namespace kt90::link {
namespace {

using testing::SimProcess;

// The program has a QCoreApplication; so do these tests.
class QtApplication : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "test_link";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QCoreApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QCoreApplication> app_;
};
const auto* const kApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

std::atomic<int> qtWarnings{0};
void countWarnings(QtMsgType type, const QMessageLogContext&, const QString&) {
  if (type != QtDebugMsg && type != QtInfoMsg) ++qtWarnings;
}

TEST(SerialDriver, WorksFromAPlainWorkerThreadWithoutEventLoopOrWarnings) {
  SimProcess sim;
  ASSERT_TRUE(sim.start({"--version", "KT90 V5.0"}));
  SerialDriver driver;
  qtWarnings = 0;
  const QtMessageHandler previous = qInstallMessageHandler(countWarnings);
  std::string version;
  bool roundTrip = false;
  std::thread worker([&] {
    if (!driver.OpenDevice(sim.path())) return;
    std::uint8_t reply[32] = {};
    driver.SendCmd(CMD_GET_VERSION);
    driver.WaitData(reply, 32, 1);
    version = reinterpret_cast<const char*>(reply);
    std::uint8_t block[32], back[32];
    for (int i = 0; i < 32; ++i) block[i] = static_cast<std::uint8_t>(i);
    roundTrip = driver.WriteData(block, storage::kCif, 32) == 32 && driver.ReadData(back, storage::kCif, 32) == 32 &&
                std::memcmp(block, back, 32) == 0;
    driver.CloseDevice();
  });
  worker.join();
  qInstallMessageHandler(previous);
  EXPECT_EQ(version, "KT90 V5.0");
  EXPECT_TRUE(roundTrip);
  EXPECT_EQ(qtWarnings, 0);
}

TEST(SerialDriver, ReportsAPortThatCannotBeOpened) {
  SerialDriver driver;
  EXPECT_FALSE(driver.OpenDevice("/dev/kt90-no-such-port"));
  EXPECT_FALSE(driver.lastPortError().empty());
}

// How long the failing calls take is bench_serial's to measure.
TEST(SerialDriver, ProgrammerGoneMidSessionFailsEachCall) {
  SimProcess sim;
  ASSERT_TRUE(sim.start({}));
  SerialDriver driver;
  driver.setReplyTimeout(std::chrono::milliseconds(300));
  ASSERT_TRUE(driver.OpenDevice(sim.path()));
  sim.stop();
  std::uint8_t buffer[32];
  EXPECT_EQ(driver.ReadData(buffer, 0, 32), 0u);
  EXPECT_EQ(driver.SendCmd(CMD_GET_VERSION), 0);
  driver.CloseDevice();
}

}  // namespace
}  // namespace kt90::link
