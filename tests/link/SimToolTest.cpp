// kt90-sim as a program: its state file, its line handling and its refusal of bad arguments.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "SimProcess.h"
#include "core/base/AtomicWrite.h"
#include "core/base/FileIo.h"
#include "core/programmer/Commands.h"
#include "link/SerialDriver.h"
#include "sim/FdTransport.h"
#include "sim/FirmwareBody.h"
#include "wire/Frame.h"

namespace kt90::testing {
namespace {

TEST(SimTool, KeepsItsStateAcrossRunsInTheStateFile) {
  const auto state = std::filesystem::temp_directory_path() / ("kt90-sim-tool-" + std::to_string(::getpid()));
  std::filesystem::remove(state);
  const std::uint8_t block[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  {
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--state", state.string(), "--version", "KT90 V5.3", "--uid", "A1A2A3A4A5A6A7A8A9AAABAC"}));
    link::SerialDriver d;
    ASSERT_TRUE(d.OpenDevice(sim.path()));
    ASSERT_EQ(d.WriteData(block, 0x6000, 4), 4u);
    ASSERT_EQ(d.WriteEEPROM(block, 0, 4), 4u);
    d.CloseDevice();
    EXPECT_EQ(sim.stop(), 0);
  }
  ASSERT_TRUE(std::filesystem::exists(state));
  {
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--state", state.string()}));
    link::SerialDriver d;
    ASSERT_TRUE(d.OpenDevice(sim.path()));
    std::uint8_t back[4] = {}, eeprom[4] = {}, version[32] = {}, id[32] = {};
    EXPECT_EQ(d.ReadData(back, 0x6000, 4), 4u);
    EXPECT_EQ(d.ReadEEPROM(eeprom, 0, 4), 4u);
    d.SendCmd(CMD_GET_VERSION);
    d.WaitData(version, 32, 1);
    d.SendCmd(CMD_APP_ID);
    d.WaitData(id, 32, 1);
    EXPECT_EQ(std::memcmp(back, block, 4), 0);
    EXPECT_EQ(std::memcmp(eeprom, block, 4), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(version), "KT90 V5.3");
    EXPECT_EQ(id[reply::kUidOffset], 0xA1);
    EXPECT_EQ(id[reply::kUidOffset + 11], 0xAC);
  }
  std::filesystem::remove(state);
}

using namespace std::chrono_literals;

// Bytes straight onto kt90-sim's line, as a broken host or a noisy cable leaves them.
void writeRaw(const std::string& port, const Bytes& bytes) {
  sim::FdTransport raw;
  ASSERT_TRUE(raw.open(port));
  ASSERT_TRUE(raw.write(bytes, wire::Clock::now() + 1s));
  raw.close();
}

TEST(SimTool, AnswersTheFirstRequestAfterAnIdleGapWhateverCameBefore) {
  SimProcess sim;
  ASSERT_TRUE(sim.start({}));
  const Bytes cut = wire::encodeFrame({1, static_cast<std::uint8_t>(wire::Op::WriteEeprom), Bytes(40, 0)});
  const Bytes big = wire::encodeFrame({2, static_cast<std::uint8_t>(wire::Op::WriteData), Bytes(wire::kMaxPayload, 0)});
  const std::pair<const char*, Bytes> junk[] = {
      {"noise", {0x00, 0xA5, 0x5A, 0x13}},
      {"cut frame", Bytes(cut.begin(), cut.end() - 3)},
      {"false header announcing 4096 bytes", Bytes(big.begin(), big.begin() + wire::kHeaderSize)},
  };
  for (const auto& [name, bytes] : junk) {
    writeRaw(sim.path(), bytes);
    std::this_thread::sleep_for(wire::kIdleGap + 10ms);
    link::SerialDriver d;
    EXPECT_TRUE(d.OpenDevice(sim.path())) << name;
    EXPECT_EQ(d.SendCmd(CMD_GET_VERSION), 1) << name;
    d.CloseDevice();
  }
}

TEST(SimTool, DropsRepliesNobodyReadsAndServesOn) {
  SimProcess sim;
  ASSERT_TRUE(sim.start({}));
  // More replies than the line holds, and nobody reading them.
  Bytes requests;
  const Bytes readEeprom = {0, 0, 0, 0, 0, 1};
  for (int i = 0; i < 120; ++i)
    wire::encodeFrameInto(requests, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(wire::Op::ReadEeprom),
                          readEeprom);
  writeRaw(sim.path(), requests);
  std::this_thread::sleep_for(wire::kDefaultReplyTimeout + 1s);
  link::SerialDriver d;
  ASSERT_TRUE(d.OpenDevice(sim.path()));
  EXPECT_EQ(d.SendCmd(CMD_GET_VERSION), 1);
  d.CloseDevice();
  EXPECT_EQ(sim.stop(), 0);
}

int runTool(const std::string& args) {
  const int status = std::system((std::string(KT90_SIM_PATH) + " " + args + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SimTool, RefusesBadArgumentsAndBadStateFiles) {
  EXPECT_NE(runTool(""), 0);
  EXPECT_NE(runTool("--pty --fault bogus"), 0);
  EXPECT_NE(runTool("--pty --uid 1234"), 0);
  const auto bad = std::filesystem::temp_directory_path() / ("kt90-sim-bad-" + std::to_string(::getpid()));
  ASSERT_TRUE(writeFileAtomically(bad, Bytes{'n', 'o', 'p', 'e'}).ok());
  EXPECT_NE(runTool("--pty --state " + bad.string()), 0);
  std::filesystem::remove(bad);
}

TEST(SimTool, MakesFirmwareImagesItAccepts) {
  const auto path = std::filesystem::temp_directory_path() / ("kt90-fw-" + std::to_string(::getpid()));
  ASSERT_EQ(runTool("--make-firmware " + path.string() + " --version 'KT90 V9.9' --firmware-size 512"), 0);
  const auto bytes = readWholeFile(path);
  ASSERT_TRUE(bytes);
  const auto image = parseFirmwareImage(*bytes);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->version, "KT90 V9.9");
  EXPECT_EQ(image->body.size(), 512u);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace kt90::testing
