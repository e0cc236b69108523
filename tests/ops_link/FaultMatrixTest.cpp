// Every fault switch of kt90-sim against every device operation, over the pseudo-terminal:
// each cell ends as its row says, logs why, leaves the device closed and the project file as
// it was, and an operation that writes nothing leaves the programmer's stored state alone.
#include <chrono>

#include "OperationSuite.h"
#include "PtyHarness.h"
#include "core/app/OpenProgramFile.h"
#include "core/app/SaveProgramFile.h"
#include "wire/WireDriver.h"

namespace kt90::testing {
namespace {

using Op = DeviceOperation;
constexpr OperationState kPassed = OperationState::Passed;
constexpr OperationState kReady = OperationState::Ready;
constexpr OperationState kFailed = OperationState::Failed;

struct Cell {
  Op op;
  const char* fault;  // as given to --fault
  OperationState end;
  const char* logged;  // part of a log line that says why (or what was done); empty: none
};

// A debugger-type programmer holding a program for the chip below; disconnect=N cuts the
// line where the operation's own exchange has just begun (1 transfer opens, 4 identify).
const Cell kCells[] = {
    {Op::Download, "no-reply", kFailed, "The device is not connected"},
    {Op::Upload, "no-reply", kFailed, "The device is not connected"},
    {Op::ReadChip, "no-reply", kFailed, "The device is not connected"},
    {Op::HardwareTest, "no-reply", kFailed, "The device is not connected"},
    {Op::Statistics, "no-reply", kFailed, "The device is not connected"},
    {Op::UpdateFirmware, "no-reply", kFailed, "The device is not connected"},
    {Op::QueryUid, "no-reply", kFailed, "The device is not connected"},
    // Identification goes on without version and U_ID; the version decides the image and
    // whether a chip is programmed, so the download restarts the programmer instead.
    {Op::Download, "refuse", kFailed, "SendCmd(CMD_SoftReset) fail!"},
    {Op::Upload, "refuse", kReady, "SendCmd(CMD_GET_VERSION) fail!"},
    {Op::ReadChip, "refuse", kReady, "SendCmd(CMD_GET_VERSION) fail!"},
    {Op::HardwareTest, "refuse", kPassed, "HardwareModify: 0x00000000"},
    {Op::Statistics, "refuse", kFailed, "SendCmd(CMD_GET_OPER_NUM) fail!"},
    {Op::UpdateFirmware, "refuse", kFailed, "Open file <> fail!"},
    {Op::QueryUid, "refuse", kFailed, "SendCmd(CMD_APP_ID) fail!"},
    {Op::Download, "corrupt=0x25", kFailed, "check failure, adress0x0025"},
    {Op::Upload, "corrupt=0x25", kFailed, "Chip Signature heck failure"},
    {Op::ReadChip, "corrupt=0x25", kReady, "Code checksum"},
    {Op::HardwareTest, "corrupt=0x25", kPassed, "HardwareModify: 0x00000000"},
    {Op::Statistics, "corrupt=0x25", kPassed, "Total number: 7,Successes: 5"},
    {Op::UpdateFirmware, "corrupt=0x10025", kFailed, "check failure, adress0x10025"},
    {Op::QueryUid, "corrupt=0x25", kPassed, ""},
    {Op::Download, "disconnect=40", kFailed, "Write failure"},
    {Op::Upload, "disconnect=8", kFailed, "Read failure"},
    {Op::ReadChip, "disconnect=39", kFailed, "GetStatus failed"},
    {Op::HardwareTest, "disconnect=5", kFailed, "the programmer did not answer"},
    {Op::Statistics, "disconnect=6", kFailed, "The production counters did not arrive"},
    {Op::UpdateFirmware, "disconnect=20", kFailed, "Write failure"},
    {Op::QueryUid, "disconnect=2", kFailed, "The U_ID reply did not arrive in full"},
    {Op::Download, "never-ready", kFailed, "Err.1"},
    {Op::Upload, "never-ready", kReady, "upload file checksum success"},
    {Op::ReadChip, "never-ready", kFailed, "GetStatus failed"},
    {Op::HardwareTest, "never-ready", kPassed, "HardwareModify: 0x00000000"},
    {Op::Statistics, "never-ready", kPassed, "Total number: 7,Successes: 5"},
    {Op::UpdateFirmware, "never-ready", kPassed, "write upgrade bit flags success"},
    {Op::QueryUid, "never-ready", kPassed, ""},
    {Op::Download, "erased", kPassed, "download cif file success"},
    {Op::Upload, "erased", kFailed, "has setted the program max times"},
    {Op::ReadChip, "erased", kReady, "Code checksum"},
    {Op::HardwareTest, "erased", kPassed, "HardwareModify: 0x00000000"},
    {Op::Statistics, "erased", kPassed, "Total number: 7,Successes: 5"},
    {Op::UpdateFirmware, "erased", kPassed, "write upgrade bit flags success"},
    {Op::QueryUid, "erased", kPassed, ""},
    {Op::Download, "latency=1", kPassed, "download cif file success"},
    {Op::Upload, "latency=1", kReady, "upload file checksum success"},
    {Op::ReadChip, "latency=1", kReady, "Code checksum"},
    {Op::HardwareTest, "latency=1", kPassed, "HardwareModify: 0x00000000"},
    {Op::Statistics, "latency=1", kPassed, "Total number: 7,Successes: 5"},
    {Op::UpdateFirmware, "latency=1", kPassed, "write upgrade bit flags success"},
    {Op::QueryUid, "latency=1", kPassed, ""},
    {Op::Download, "wrong-chip", kFailed, "Err.C, CHIP_ID"},
    {Op::Upload, "wrong-chip", kReady, "upload file checksum success"},
    {Op::ReadChip, "wrong-chip", kReady, "Code checksum"},
    {Op::HardwareTest, "wrong-chip", kPassed, "HardwareModify: 0x00000000"},
    {Op::Statistics, "wrong-chip", kPassed, "Total number: 7,Successes: 5"},
    {Op::UpdateFirmware, "wrong-chip", kPassed, "write upgrade bit flags success"},
    {Op::QueryUid, "wrong-chip", kPassed, ""},
    {Op::Download, "verify-fail", kFailed, "Err.4"},
    {Op::Upload, "verify-fail", kReady, "upload file checksum success"},
    {Op::ReadChip, "verify-fail", kReady, "Code checksum"},
    {Op::HardwareTest, "verify-fail", kPassed, "HardwareModify: 0x00000000"},
    {Op::Statistics, "verify-fail", kPassed, "Total number: 7,Successes: 5"},
    {Op::UpdateFirmware, "verify-fail", kPassed, "write upgrade bit flags success"},
    {Op::QueryUid, "verify-fail", kPassed, ""},
};

bool writes(Op op) { return op == Op::Download || op == Op::UpdateFirmware; }

// What a programmer keeps between operations.
void expectSameStoredState(sim::Emulator& a, sim::Emulator& b) {
  EXPECT_TRUE(a.storage() == b.storage());
  EXPECT_TRUE(a.eeprom() == b.eeprom());
  EXPECT_EQ(a.versionText(), b.versionText());
  EXPECT_EQ(a.uid(), b.uid());
  EXPECT_EQ(a.counters.total, b.counters.total);
  EXPECT_EQ(a.counters.success, b.counters.success);
  EXPECT_TRUE(a.chip().rawCode() == b.chip().rawCode() && a.chip().rawOptions() == b.chip().rawOptions());
}

using FaultMatrix = OperationSuite<PtyHarness>;

TEST_F(FaultMatrix, EveryFaultAgainstEveryOperation) {
  // The programmer every cell starts from: a program downloaded in process.
  start(withVersion("KT90DB V5.2"));
  fillProgram(*state, 17);
  const std::string project = pathToUtf8(dir.path("matrix.vk"));
  ASSERT_TRUE(saveProgramFile(*state, project, SaveType::Project));
  const Bytes projectBytes = *readWholeFile(pathFromUtf8(project));
  InProcessHarness source;
  source.start(withVersion("KT90DB V5.2"));
  ASSERT_EQ(runDeviceOperation(operationRequest(Op::Download, programToWrite(*state), source.port(), source.port()),
                               *state, source.driver(), guard)
                .finalState,
            kPassed);
  sim::Emulator& programmer = source.finish();
  programmer.counters = {7, 5};

  for (const Cell& cell : kCells) {
    SCOPED_TRACE(std::string(deviceOperationName(cell.op)) + " with " + cell.fault);
    state = std::make_unique<WorkingState>(host, profile, dir.dir());
    state->start();
    ASSERT_TRUE(openProgramFile(*state, project));
    harness.start(prepared([&programmer](sim::Emulator& e) { e = programmer; }, {cell.fault}));
    dynamic_cast<wire::WireDriver&>(harness.driver()).setReplyTimeout(std::chrono::milliseconds(300));
    tracker = std::make_unique<TrackingDriver>(harness.driver());
    host.log.clear();

    EXPECT_EQ(run(cell.op).finalState, cell.end);
    EXPECT_TRUE(!*cell.logged || host.logContains(cell.logged)) << ::testing::PrintToString(host.log);
    // No cell shows a value made of a reply that did not come.
    EXPECT_FALSE(host.logContains("HW_Test_") || host.logContains("Total number: 0,"));
    EXPECT_TRUE(tracker->closedEveryTime());
    EXPECT_EQ(*readWholeFile(pathFromUtf8(project)), projectBytes);
    sim::Emulator& after = harness.finish();  // the state file still loads
    if (!writes(cell.op)) {
      sim::Emulator before = programmer;
      ASSERT_EQ(sim::applyFault(before, cell.fault), "");
      expectSameStoredState(after, before);
    }
  }
}

}  // namespace
}  // namespace kt90::testing
