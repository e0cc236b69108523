#include <filesystem>
#include <tuple>

#include "InProcessOps.h"
#include "core/base/FileIo.h"
#include "core/chip/Cif.h"
#include "core/progfile/ProjectScramble.h"
#include "core/programmer/Identification.h"

namespace kt90::testing {
namespace {

using Ops = InProcessOps;

TEST_F(Ops, DownloadRefusesSizesTheStorageCannotHoldBeforeOpening) {
  start();
  for (std::uint16_t words : {0x2010, 0x0808, 0x8000}) {
    state->image().head.setCodeWords(words);
    EXPECT_EQ(run(DeviceOperation::Download).finalState, OperationState::Failed);
    EXPECT_EQ(host.log.back(), msg(TextId::CodeSizeNotStorable, static_cast<unsigned>(words)));
  }
  state->image().head.setCodeWords(0x0800);
  state->image().calibration.count = 9;
  EXPECT_EQ(run(DeviceOperation::Download).finalState, OperationState::Failed);
  EXPECT_EQ(host.log.back(), msg(TextId::CalibrationCountTooLarge, 9u));
  EXPECT_EQ(tracker->opens, 0);
  EXPECT_EQ(emulator().transfers(), 0u);
}

TEST_F(Ops, StorageHoldsTheTrailerWithoutGapsAndEveryArea) {
  start(prepared([](sim::Emulator& e) { std::fill(e.eeprom().begin(), e.eeprom().end(), 0); }));
  fillProgram(*state, 21);
  ProgramImage& image = state->image();
  image.calibration.count = 0;
  ASSERT_EQ(run(DeviceOperation::Download).finalState, OperationState::Passed) << host.log.back();
  const Bytes& s = storage();
  const std::uint32_t t = 0x20 + 2 * 0x800;
  EXPECT_EQ(readU16(&s[t]), chipSignature(image));
  EXPECT_TRUE(std::equal(image.openShort.bytes.begin(), image.openShort.bytes.end(), &s[t + 6]));  // no calibration
  EXPECT_EQ(readU16(&s[t + 16]), fileChecksum(image));  // rolling code off: right after OpenShort
  EXPECT_TRUE(std::equal(image.config.bytes.begin(), image.config.bytes.end(), &s[0x4FDE]));
  const auto cif = LoadCif(dir.dir(), state->chipModelName());
  EXPECT_TRUE(std::equal(cif->begin(), cif->end(), &s[0x5000]));
  EXPECT_TRUE(std::all_of(emulator().eeprom().begin(), emulator().eeprom().end(), [](auto b) { return b == 0xFF; }));
  EXPECT_EQ(host.progress.back(), 100);

  setRollingCode(image, 1);
  image.calibration.count = 2;
  ASSERT_EQ(run(DeviceOperation::Download).finalState, OperationState::Passed);
  const std::uint32_t rol = t + 6 + 24 + 10;
  EXPECT_TRUE(std::equal(image.rolCode.bytes.begin(), image.rolCode.bytes.begin() + 10, &s[rol]));
  EXPECT_EQ(readU16(&s[rol + 10]), fileChecksum(image));
}

TEST_F(Ops, ProgramLimitDecidesCountTablesNoteAndTheSavedForm) {
  start(prepared([](sim::Emulator& e) {
    e.setVersionText("KT90 V5.2");
    std::fill(e.storage().begin() + 0x6000, e.storage().begin() + 0x7000, 0xAB);
  }));
  const auto project = dir.path("work.vk");
  state->setFileName(pathToUtf8(project));
  ASSERT_EQ(run(DeviceOperation::Download).finalState, OperationState::Passed);
  EXPECT_TRUE(std::all_of(storage().begin() + 0x6000, storage().begin() + 0x7000, [](auto b) { return b == 0xAB; }));
  EXPECT_FALSE(host.logContains("Kt file max download"));
  EXPECT_FALSE(isScrambledProject(*readWholeFile(project)));

  state->image().head.setProgramLimit(5);
  state->image().protection.currentTime = 77;
  ASSERT_EQ(run(DeviceOperation::Download).finalState, OperationState::Passed);
  EXPECT_TRUE(isScrambledProject(*readWholeFile(project)));
  EXPECT_FALSE(host.logContains("Kt file max download"));  // no download limit, no note
}

TEST_F(Ops, CountTablesWithADamagedPointerStartAtSlotOne) {
  start(prepared([](sim::Emulator& e) {
    e.setVersionText("KT90 V5.2");
    writeU32(&e.storage()[0x6000], 0x123);
  }));
  state->image().head.setProgramLimit(5);
  state->image().protection.currentTime = 99;
  state->image().protection.downloadLimit = 2;
  ASSERT_EQ(run(DeviceOperation::Download).finalState, OperationState::Passed);
  EXPECT_TRUE(host.logHas(msg(TextId::CountTablePointerDamaged, 0x123u)));
  EXPECT_EQ(readU32(&storage()[0x6000]), 4u);
  EXPECT_EQ(readU32(&storage()[0x6004]), 99u);
  EXPECT_EQ(storage()[0x6C01], 1);
}

TEST_F(Ops, FirmwareCheckUsesOnlyThisIdentification) {
  start(prepared([](sim::Emulator& e) { e.setVersionText("KT90 V5.0"); }));  // not among the supported
  selectChip("QD46K300T1");  // its definition asks for the check
  EXPECT_EQ(run(DeviceOperation::Download).finalState, OperationState::Failed);
  EXPECT_EQ(host.log.back(), msg(TextId::FirmwareMismatch, "KT90 V5.1;KT90 V5.2;KT90DB V5.2"));
  EXPECT_EQ(tracker->writes, 0u);

  emulator().setVersionText("KT90 V5.2");
  ASSERT_EQ(run(DeviceOperation::Download).finalState, OperationState::Passed);
  // A refused version command leaves no version to pass the check.
  emulator().faults.refusedCommands = {CMD_GET_VERSION};
  EXPECT_EQ(run(DeviceOperation::Download).finalState, OperationState::Failed);
  EXPECT_TRUE(host.logHas("SendCmd(CMD_GET_VERSION) fail!\r\n"));
  EXPECT_TRUE(host.logHas(msg(TextId::FirmwareVersionUnknown)));
  // An accepted empty version passes.
  emulator().faults.refusedCommands.clear();
  emulator().setVersionText("");
  EXPECT_EQ(run(DeviceOperation::Download).finalState, OperationState::Passed);
}

TEST_F(Ops, BoundFileLogsTheMatchingEntry) {
  start();
  ProgrammerUid other{};
  other.fill(0x11);
  state->image().protection.uids = {other, sim::Emulator::kDefaultUid};
  ASSERT_EQ(run(DeviceOperation::Download).finalState, OperationState::Passed);
  EXPECT_TRUE(host.logContains("01: 4B 54 39 30 00 05 20 24 00 00 00 01"));
  EXPECT_TRUE(host.logHas("ID: 4B 54 39 30 00 05 20 24 00 00 00 01\r\n"));
}

TEST_F(Ops, DebuggerRepliesThatNeverCome) {
  start(withVersion("KT90DB V5.2"));
  scriptReplies(CMD_PROGRAM, {{0xFF}});
  EXPECT_EQ(run(DeviceOperation::Download).finalState, OperationState::Failed);
  EXPECT_EQ(host.log.back(), "SendCmd(CMD_PROGRAM) fail!\r\n");
  scriptReplies(CMD_PROGRAM, {{0x00}, {0x01}, {0x10}});
  EXPECT_EQ(run(DeviceOperation::Download).finalState, OperationState::Failed);
  EXPECT_EQ(host.log.back(), "Connect programmer fail!\r\n");
  EXPECT_TRUE(tracker->closedEveryTime());
}

// A debugger-type programmer that programs another serial than the one reserved for it
// must not pass: that chip's serial may belong to another programmer's block.
TEST_F(Ops, DebuggerReportingAnotherSerialThanTheReservedFails) {
  start(withVersion("KT90DB V5.2"));
  setRollingCode(state->image(), 1);
  MemoryLedger memory;
  ledger = &memory;
  scriptReplies(CMD_PROGRAM, {{0x00}, {0x00}, {0x35, 0x12, 0x00, 0x00}});
  const auto outcome = run(DeviceOperation::Download);
  EXPECT_EQ(outcome.finalState, OperationState::Failed);
  EXPECT_EQ(host.log.back(), msg(TextId::SerialReportedMismatch, 0x1235ull, 0x1234ull));
}

TEST_F(Ops, VersionReplyWithoutItsEndIsBounded) {
  start();
  scriptReplies(CMD_GET_VERSION, {Bytes(32, 'A')});
  const auto outcome = run(DeviceOperation::Statistics);
  EXPECT_EQ(outcome.finalState, OperationState::Passed);
  EXPECT_TRUE(host.logHas(msg(TextId::VersionReplyUnterminated)));
  EXPECT_EQ(outcome.firmwareVersion, std::string(32, 'A'));
}

// A reply that arrives short never counts: the operation fails with the line that says so and
// shows no figure made of the bytes that did not come.
TEST_F(Ops, RepliesThatArriveShortAreNeverReadAsValues) {
  struct Case {
    DeviceOperation op;
    const char* version;
    std::uint8_t command;
    std::vector<Bytes> replies;
    TextId reason;
    const char* neverLogged;
    bool (*learnt)(const OperationOutcome&);
  };
  const Case cases[] = {
      {DeviceOperation::QueryUid,
       "KT90 V5.2",
       CMD_APP_ID,
       {Bytes(20, 0)},
       TextId::UidReplyShort,
       "SendCmd(CMD_APP_ID) fail!",
       [](const OperationOutcome& o) { return !o.uid.empty(); }},
      {DeviceOperation::Statistics,
       "KT90 V5.2",
       CMD_GET_OPER_NUM[0],
       {Bytes(4, 0)},
       TextId::CountersNoReply,
       "Total number",
       [](const OperationOutcome& o) { return o.counters.has_value(); }},
      {DeviceOperation::Download,
       "KT90 V5.2",
       CMD_GET_VERSION,
       {Bytes{}},
       TextId::FirmwareVersionUnknown,
       "Read firmware version",
       [](const OperationOutcome& o) { return o.firmwareVersion.has_value(); }},
      {DeviceOperation::Download,
       "KT90DB V5.2",
       CMD_PROGRAM,
       {{0x00}, {0x00}, {0x34, 0x12}},
       TextId::RollingCodeReplyMissing,
       "ROL_CODE",
       [](const OperationOutcome& o) { return !o.rollingCode.empty(); }},
  };
  start(prepared([](sim::Emulator& e) { e.counters = {5, 4}; }));
  selectChip("QD46K300T1");  // its definition asks for the version check
  setRollingCode(state->image(), 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(msg(c.reason));
    emulator().setVersionText(c.version);
    scriptReplies(c.command, c.replies);
    const auto outcome = run(c.op);
    EXPECT_EQ(outcome.finalState, OperationState::Failed);
    EXPECT_TRUE(host.logHas(msg(c.reason)));
    EXPECT_FALSE(host.logContains(c.neverLogged));
    EXPECT_FALSE(c.learnt(outcome));
    EXPECT_TRUE(tracker->closedEveryTime());
  }
}

}  // namespace
}  // namespace kt90::testing

namespace kt90::testing {
namespace {

// A cancel request stops a download before its next write and fails it as any broken
// download fails; a request from before the admission, or to an upload, changes nothing.
TEST_F(Ops, ACancelRequestStopsADownloadBeforeItsNextWrite) {
  start();
  fillProgram(*state, 5);
  // operation, the write during which Cancel comes (0: at the open, -1: before admission), final state
  const std::tuple<DeviceOperation, int, OperationState> rows[] = {
      {DeviceOperation::Download, 0, OperationState::Failed},
      {DeviceOperation::Download, 40, OperationState::Failed},
      {DeviceOperation::Download, -1, OperationState::Passed},
      {DeviceOperation::Upload, 0, OperationState::Ready},
  };
  for (const auto& [op, at, expected] : rows) {
    tracker->writes = 0;
    tracker->onOpen = [&, at = at] { if (at == 0) guard.requestCancel(); };
    tracker->onWrite = [&, at = at] { if (static_cast<int>(tracker->writes) + 1 == at) guard.requestCancel(); };
    if (at < 0) guard.requestCancel();
    EXPECT_EQ(run(op).finalState, expected) << at;
    const bool cancelled = expected == OperationState::Failed;
    EXPECT_EQ(!host.log.empty() && host.log.back() == msg(TextId::DownloadCancelled), cancelled) << at;
    EXPECT_TRUE(!cancelled || tracker->writes == static_cast<std::uint64_t>(at)) << at;  // the write under way ends
    EXPECT_TRUE(tracker->closedEveryTime());
  }
}

TEST_F(Ops, ADownloadWithoutCodeWordsWarnsInTheLog) {
  start();
  for (const bool withCode : {false, true}) {
    if (withCode) state->image().setWord(0x7FF, 0x0123);  // the last word alone counts too
    ASSERT_EQ(run(DeviceOperation::Download).finalState, OperationState::Passed);
    EXPECT_EQ(host.logHas(msg(TextId::DownloadNoCode)), !withCode);
  }
}

// The download sends the request's program, whatever the working state holds by then; the
// working state is left alone unless the request says it holds the project, which is then
// saved.
TEST_F(Ops, ADownloadSendsTheRequestsProgramAndLeavesTheProjectToItsOwner) {
  start();
  fillProgram(*state, 31);
  const ProgramToWrite program = programToWrite(*state);
  fillProgram(*state, 32);  // the window's program moved on after the request was made
  const auto project = dir.path("work.vk");
  state->setFileName(pathToUtf8(project));
  ProgramImage sent = program.image;
  chipSignature(sent);  // the ConfigBlock as the write computes it
  const std::size_t codeBytes = std::size_t{2} * sent.head.codeWords();
  for (const bool savesProject : {false, true}) {
    SCOPED_TRACE(savesProject);
    const ProgramImage before = state->image();
    OperationRequest request = operationRequest(DeviceOperation::Download, program, harness.port(), harness.port());
    request.saveProjectFile = savesProject;
    const OperationOutcome outcome = runDeviceOperation(request, *state, *tracker, guard);
    ASSERT_EQ(outcome.finalState, OperationState::Passed) << host.log.back();
    EXPECT_TRUE(std::equal(sent.code().begin(), sent.code().begin() + codeBytes, &storage()[storage::kCode]));
    EXPECT_TRUE(std::equal(sent.config.bytes.begin(), sent.config.bytes.end(), &storage()[storage::kConfigBlock]));
    ASSERT_TRUE(outcome.writtenConfig);
    EXPECT_EQ(outcome.writtenConfig->bytes, sent.config.bytes);
    // Saving computes the project's own checksums into it; its code stays the window's.
    EXPECT_TRUE(savesProject ? state->image().code() == before.code() : state->image() == before);
    EXPECT_EQ(std::filesystem::exists(project), savesProject);
  }
}

}  // namespace
}  // namespace kt90::testing
