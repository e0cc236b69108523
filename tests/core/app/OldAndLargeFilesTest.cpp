// Files people bring along: project files of the old layout, and chips as large as the
// code buffer, opened and saved the way the window and kt90ctl do it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "core/base/AtomicWrite.h"
#include "core/app/OpenProgramFile.h"
#include "core/app/SaveProgramFile.h"
#include "core/app/WorkingState.h"
#include "core/base/FileIo.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"

namespace kt90 {
namespace {

namespace fs = std::filesystem;

// CRC-16/XMODEM bit by bit, apart from the program's table-driven one.
std::uint16_t xmodem(ByteView bytes) {
  std::uint16_t crc = 0;
  for (std::uint8_t b : bytes) {
    crc = static_cast<std::uint16_t>(crc ^ (b << 8));
    for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return crc;
}

// An old-layout file as its description gives it: head (flags, version 1, code size in KB,
// chip name from byte 3, option words 0-3 from byte 8), the code, the sum of the code
// bytes, the sum of head bytes, that sum and its own four bytes, then the rolling-code
// record when flag bit 5 is set.
Bytes oldLayoutFile(const std::string& name, const Bytes& code, const std::array<std::uint16_t, 4>& options,
                    bool rolling) {
  Bytes file(32, 0);
  file[0] = static_cast<std::uint8_t>(0x43 | (rolling ? 0x20 : 0));
  file[1] = 0x01;
  file[2] = static_cast<std::uint8_t>(code.size() / 1024);
  std::copy(name.begin(), name.end(), file.begin() + 3);
  for (int i = 0; i < 4; ++i) writeU16(&file[8 + 2 * i], options[i]);
  std::uint32_t dataSum = 0;
  for (std::uint8_t b : code) dataSum += b;
  std::uint32_t fileSum =
      dataSum + (dataSum & 0xFF) + ((dataSum >> 8) & 0xFF) + ((dataSum >> 16) & 0xFF) + (dataSum >> 24);
  for (std::uint8_t b : file) fileSum += b;
  appendBytes(file, code);
  appendU32(file, dataSum);
  appendU32(file, fileSum);
  if (rolling) {
    for (std::uint8_t i = 0; i < 34; ++i) file.push_back(static_cast<std::uint8_t>(0x90 + i));
  }
  return file;
}

class FieldFilesTest : public ::testing::Test {
 protected:
  fs::path dir = test::uniqueTempDir("kt90_field");
  test::RecordingHost host;
  MemoryProfile profile;
  std::unique_ptr<WorkingState> state;

  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    profile.writeInt(profile::kLanguage, kEnglish);
  }
  void TearDown() override { fs::remove_all(dir); }
  void startIn(const std::string& programDir, const std::string& chip) {
    profile.writeString(profile::kChip, chip);
    state = std::make_unique<WorkingState>(host, profile, programDir);
    state->start();
  }
  std::string path(const std::string& name) const { return pathToUtf8(dir / name); }
};

TEST_F(FieldFilesTest, OldLayoutFilesOpenAsTheirChip) {
  startIn(KT90_TEST_DATA_DIR, "QD45C8K");
  Bytes code(2048);
  for (std::size_t i = 0; i < code.size(); ++i)
    code[i] = static_cast<std::uint8_t>(i % 2 ? (i * 3) & 0x3F : i * 11 + 5);
  const std::array<std::uint16_t, 4> options = {0x3FF4, 0x1234, 0x0001, 0x2AAA};
  char crcLine[32];
  std::snprintf(crcLine, sizeof crcLine, "Code CRC:0x%04X\r\n", xmodem(code));
  for (const bool rolling : {false, true}) {
    SCOPED_TRACE(rolling);
    writeFileAtomically(dir / "old.vk", oldLayoutFile("1620", code, options, rolling));
    host.messages.clear();
    host.log.clear();
    ASSERT_TRUE(openProgramFile(*state, path("old.vk")));
    // The notice of the old layout and nothing else: no chip taken from option words.
    EXPECT_EQ(host.messages, std::vector<std::string>{"Old QD version file \r\n"});
    EXPECT_TRUE(host.log.empty()) << host.log.front();
    EXPECT_EQ(state->chipModelName(), "VK1620");
    const ProgramImage& image = state->image();
    EXPECT_EQ(image.head.version(), 0x10);
    EXPECT_EQ(image.head.codeWords(), 1024);
    EXPECT_EQ(image.head.flag(headflag::kRollingCode), rolling);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(image.head.optionWord(i), options[i]) << i;
    EXPECT_TRUE(std::equal(code.begin(), code.end(), image.code().begin()));
    EXPECT_NE(host.summary.find(crcLine), std::string::npos) << host.summary;
  }
}

// 32,768 words fill the code buffer: project files (plain and scrambled), HEX and BIN hold
// them and give them back.
TEST_F(FieldFilesTest, ChipOfTheWholeBufferInEveryFormat) {
  fs::create_directories(dir / "EN_DEV");
  std::ofstream(dir / "EN_DEV" / "BIG.dev", std::ios::binary) << "[ROM]\r\nBitWidth=16\r\nSize=32768\r\n";
  startIn(pathToUtf8(dir), "BIG");
  ASSERT_EQ(state->image().codeWords(), 32768u);
  for (std::size_t n = 0; n < 32768; ++n) state->image().setWord(n, static_cast<std::uint16_t>(n * 7 + 1));
  const ProgramImage program = state->image();
  // Plain and scrambled (a program limit) project files, HEX, BIN.
  for (const auto& [name, type, limit] : {std::tuple{"plain.vk", SaveType::Project, 0u},
                                          {"scrambled.vk", SaveType::Project, 9u},
                                          {"big.hex", SaveType::Hex, 0u},
                                          {"big.bin", SaveType::Bin, 0u}}) {
    SCOPED_TRACE(name);
    state->image() = program;
    state->image().head.setProgramLimit(limit);
    state->showImageCode();  // HEX and BIN save the shown code
    ASSERT_TRUE(saveProgramFile(*state, path(name), type));
    ASSERT_TRUE(state->loadChipDefinition(true));  // a blank image in between
    ASSERT_TRUE(openProgramFile(*state, path(name)));
    EXPECT_EQ(state->image().head.programLimit(), limit);
    EXPECT_TRUE(std::equal(program.code().begin(), program.code().end(), state->image().code().begin()));
  }
}

}  // namespace
}  // namespace kt90
