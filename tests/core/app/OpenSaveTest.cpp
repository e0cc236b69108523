#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "core/base/AtomicWrite.h"
#include "core/app/OpenProgramFile.h"
#include "core/app/SaveProgramFile.h"
#include "core/app/WorkingState.h"
#include "core/base/FileIo.h"
#include "core/progfile/ProjectFile.h"
#include "core/progfile/ProtectionInput.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/TestPlatform.h"

namespace kt90 {
namespace {

namespace fs = std::filesystem;

class OpenSaveTest : public ::testing::Test {
 protected:
  fs::path dir = test::uniqueTempDir("kt90_open");
  test::RecordingHost host;
  MemoryProfile profile;
  std::unique_ptr<WorkingState> state;

  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    profile.writeInt(profile::kLanguage, kEnglish);
    state = std::make_unique<WorkingState>(host, profile, KT90_TEST_DATA_DIR);
    state->start();
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string path(const std::string& name) const { return pathToUtf8(dir / name); }
  void choose(const std::string& model) {
    ASSERT_TRUE(state->selectChipModel(model));
    ASSERT_TRUE(state->loadChipDefinition(true));
  }
  // A program with everything a project file carries.
  void fillProgram() {
    ProgramImage& image = state->image();
    for (std::size_t n = 0; n < 300; ++n) image.setWord(n, static_cast<std::uint16_t>((n * 37) & 0x3FFF));
    image.head.setFlag(headflag::kRollingCode, true);
    image.rolCode.bytes[0] = 1;
    image.rolCode.bytes[1] = 0x42;
    image.calibration.voltageBits = 0x01;
  }
  void protect() {
    ProgramImage& image = state->image();
    image.head.setProgramLimit(500);
    image.protection.currentTime = 0x12345678;
    image.protection.downloadLimit = 7;
    image.protection.filePassword = {0xAB, 0xCD, 0, 0};
    image.protection.uids.push_back({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  }
  void writeText(const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
  }
  std::vector<std::string> filesInDir() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(OpenSaveTest, ProjectRoundTripPlainAndScrambled) {
  for (const bool limited : {false, true}) {
    SCOPED_TRACE(limited);
    choose("QD46K300T1");
    fillProgram();
    if (limited) protect();
    ASSERT_TRUE(saveProgramFile(*state, path("prog"), SaveType::Project));
    EXPECT_EQ(state->fileName(), path("prog.vk"));
    const ProgramImage saved = state->image();
    choose("VK1620");  // another chip and a blank image in between
    ASSERT_TRUE(openProgramFile(*state, path("prog.vk")));
    EXPECT_EQ(state->chipModelName(), "QD46K300T1");  // longer than the name field, found again
    EXPECT_TRUE(state->image() == saved);
    EXPECT_EQ(state->projectPath(), path("prog.vk"));
    EXPECT_EQ(state->operatingMode(), limited ? kProductionMode : kResearchMode);
    EXPECT_EQ(filesInDir(), std::vector<std::string>{"prog.vk"});  // no plaintext .dec file, no temporaries
    state->setOperatingMode(kResearchMode);
  }
}

TEST_F(OpenSaveTest, FailedOpensChangeNothing) {
  choose("VK1620");
  fillProgram();
  state->setFileName(path("kept.vk"));
  ASSERT_TRUE(saveProgramFile(*state, path("good"), SaveType::Project));
  auto bytes = *readWholeFile(dir / "good.vk");
  bytes[40] ^= 0x01;  // a code byte: the Identity check fails
  writeFileAtomically(dir / "bad.vk", bytes);
  writeText("bad.hex", ":100000000102030405060708090A0B0C0D0E0F1000\r\n");  // checksum wrong
  writeText("wide.hex", ":02000000004000BE\r\n");                           // 0x4000 on a 14-bit chip
  writeText("notes.txt", "hello");
  writeText("empty.hex", "");
  writeText("empty.bin", "");
  // A sound file of a chip that has no definition: "VK16" is only a prefix of VK1620.
  ProgramImage vk16 = state->image();
  vk16.head.setChipName({'1', '6', 0, 0, 0, 0, 0, 0});
  writeFileAtomically(dir / "vk16.vk", writeProjectPlain(vk16));
  choose("QD45C8K");
  const ProgramImage before = state->image();
  state->setFileName(path("kept.vk"));
  writeText("junk.vk", std::string(600, '\x7f'));  // no project: one message, no chip name read from it
  for (const char* name :
       {"bad.vk", "bad.hex", "empty.hex", "empty.bin", "notes.txt", "missing.vk", "junk.vk", "vk16.vk"}) {
    SCOPED_TRACE(name);
    host.log.clear();
    host.messages.clear();
    host.state = OperationState::Ready;
    EXPECT_FALSE(openProgramFile(*state, path(name)));
    EXPECT_EQ(host.state, OperationState::Failed);
    if (std::string(name) == "vk16.vk") {
      // A sound file of a chip without a definition says so.
      EXPECT_EQ(host.log.size() + host.messages.size(), 1u);
    } else {
      EXPECT_EQ(host.log.size(), 1u);
      EXPECT_TRUE(host.messages.empty());
    }
    EXPECT_TRUE(state->image() == before);
    EXPECT_EQ(state->chipModelName(), "QD45C8K");
    EXPECT_EQ(state->fileName(), path("kept.vk"));
    EXPECT_EQ(state->projectPath(), path("kept.vk"));
  }
  EXPECT_EQ(host.messages.back(), "当前软件不支持此芯片型号：VK16");
  choose("VK1620");
  const ProgramImage fourteenBit = state->image();
  EXPECT_FALSE(openProgramFile(*state, path("wide.hex")));
  EXPECT_TRUE(state->image() == fourteenBit);
  EXPECT_EQ(host.state, OperationState::Failed);
  EXPECT_TRUE(host.logContains("14位芯片不能加载16位程序代码！"));
}

// Folders, pipes, devices and files beyond their format's bound are refused before a byte
// is read (a pipe would block, a sparse 3 GiB file would fill the memory), with the reason.
TEST_F(OpenSaveTest, FilesThatAreNoSmallRegularFilesAreRefusedAtOnce) {
  if (!test::makeFifo(dir / "pipe.hex")) GTEST_SKIP() << test::kNoFifos;
  fs::create_directories(dir / "folder.vk");
  fs::create_symlink("/dev/zero", dir / "zero.bin");
  std::ofstream(dir / "huge.pro").close();
  fs::resize_file(dir / "huge.pro", 3ull << 30);
  writeText("big.bin", std::string(65537, 'x'));
  writeText("big.hex", std::string((4u << 20) + 1, '\n'));
  const std::string notRegular = ": not a regular file (a folder, device or pipe)\r\n";
  const struct {
    const char* name;
    std::string reason;
  } cases[] = {
      {"folder.vk", notRegular},
      {"pipe.hex", notRegular},
      {"zero.bin", notRegular},
      {"huge.pro", ": larger than 1048576 bytes, more than such a file can hold\r\n"},
      {"big.bin", ": larger than 65536 bytes, more than such a file can hold\r\n"},
      {"big.hex", ": larger than 4194304 bytes, more than such a file can hold\r\n"},
  };
  const ProgramImage before = state->image();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    host.log.clear();
    EXPECT_FALSE(openProgramFile(*state, path(c.name)));
    EXPECT_EQ(host.log, std::vector<std::string>{"Cannot open " + path(c.name) + c.reason});
    EXPECT_TRUE(state->image() == before);
  }
}

TEST_F(OpenSaveTest, HexAndBinChangeOnlyTheCodeAndNameTheProjectPath) {
  choose("VK1620");
  protect();
  const Protection protection = state->image().protection;
  writeText("A.HEX", ":0400000001020304F2\r\n");
  ASSERT_TRUE(openProgramFile(*state, path("A.HEX")));
  EXPECT_EQ(state->image().word(0), 0x0201);
  EXPECT_EQ(state->image().word(2), 0x3FFF);
  EXPECT_EQ(state->projectPath(), path("A.vk"));
  EXPECT_TRUE(state->image().protection == protection);
  writeText("B.bin", std::string("\x11\x22\x33\x00", 4));
  ASSERT_TRUE(openProgramFile(*state, path("B.bin")));
  EXPECT_EQ(state->image().word(0), 0x2211);
  EXPECT_EQ(state->image().word(1), 0x0033);
  EXPECT_EQ(state->image().word(2), 0x3FFF);
  EXPECT_TRUE(state->image().protection == protection);
}

TEST_F(OpenSaveTest, SaveNamesAndShownCode) {
  choose("VK1620");
  fillProgram();
  state->showImageCode();
  fs::create_directories(dir / "x.vk.d");
  ASSERT_TRUE(saveProgramFile(*state, pathToUtf8(dir / "x.vk.d" / "out.bin"), SaveType::Hex));
  EXPECT_TRUE(fs::exists(dir / "x.vk.d" / "out.bin.hex"));
  EXPECT_EQ(state->projectPath(), pathToUtf8(dir / "x.vk.d" / "out.bin.vk"));
  // After a chip read the shown code is the chip's: HEX and BIN save that one.
  Bytes chipCode(ProgramImage::kCodeBytes, 0xFF);
  chipCode[0] = 0x34;
  chipCode[1] = 0x12;
  state->showCode(chipCode);
  ASSERT_TRUE(saveProgramFile(*state, path("read.bin"), SaveType::Bin));
  const auto bin = *readWholeFile(dir / "read.bin");
  EXPECT_EQ(bin.size(), state->image().codeWords() * 2);
  EXPECT_EQ(bin[0], 0x34);
  EXPECT_EQ(bin[1], 0x12);
}

TEST_F(OpenSaveTest, FailedSaveKeepsThePreviousFileAndSays) {
  choose("VK1620");
  ASSERT_TRUE(saveProgramFile(*state, path("keep.hex"), SaveType::Hex));
  const auto before = *readWholeFile(dir / "keep.hex");
  EXPECT_FALSE(saveProgramFile(*state, pathToUtf8(dir / "no" / "such" / "dir" / "f.vk"), SaveType::Project));
  EXPECT_EQ(host.messages.back(), "Failed to save QD file");
  EXPECT_FALSE(saveProgramFile(*state, pathToUtf8(dir / "no" / "f.bin"), SaveType::Bin));
  EXPECT_EQ(host.messages.back(), "Failed to save Bin file");
  EXPECT_EQ(*readWholeFile(dir / "keep.hex"), before);
}

// The save after a download writes the project file that was opened, and never over a
// file that holds another program: that one stays, and the program goes to the next
// free name, which the log names and later saves reuse.
TEST_F(OpenSaveTest, AutoSaveNeverOverwritesAnotherProgramsFile) {
  choose("VK1620");
  EXPECT_FALSE(autoSave(*state));
  const struct {
    const char* name;
    std::function<void()> setup;
    const char* written;    // "" when nothing may be written
    const char* fileName;   // the file name afterwards
  } cases[] = {
      {"HEX, no project file yet", [&] { ASSERT_TRUE(openProgramFile(*state, path("p.hex"))); }, "p.vk", "p.hex"},
      {"HEX beside another program",
       [&] {
         writeText("p.vk", "other");
         ASSERT_TRUE(openProgramFile(*state, path("p.hex")));
       },
       "p-1.vk", "p.hex"},
      {"HEX beside two others",
       [&] {
         writeText("p.vk", "other");
         writeText("p-1.vk", "other");
         ASSERT_TRUE(openProgramFile(*state, path("p.hex")));
       },
       "p-2.vk", "p.hex"},
      {"the opened project file", [&] { ASSERT_TRUE(openProgramFile(*state, path("q.vk"))); }, "q.vk", "q.vk"},
      {"after a chip change",
       [&] {
         ASSERT_TRUE(openProgramFile(*state, path("q.vk")));
         host.answers.push_back(MessageAnswer::Yes);
         ASSERT_EQ(state->changeChip("WT58P04"), ChipChange::Kept);
       },
       "q-1.vk", "q-1.vk"},
      {"Production mode, a password",
       [&] {
         ASSERT_TRUE(openProgramFile(*state, path("released.vk")));
         ASSERT_EQ(state->operatingMode(), kProductionMode);
         state->image().calibration.voltageBits = 0x02;  // an operator's edit
       },
       "", "released.vk"},
  };
  fillProgram();
  protect();
  ASSERT_TRUE(saveProgramFile(*state, path("released.vk"), SaveType::Project));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    choose("VK1620");
    state->setOperatingMode(kResearchMode);
    state->image().protection = Protection{};
    state->image().head.setProgramLimit(0);
    fillProgram();
    ASSERT_TRUE(saveProgramFile(*state, path("q.vk"), SaveType::Project));
    for (const char* name : {"p.vk", "p-1.vk", "p-2.vk", "q-1.vk"}) fs::remove(dir / name);
    writeText("p.hex", ":0400000001020304F2\r\n");
    c.setup();
    host.log.clear();
    std::map<std::string, Bytes> before;
    for (const auto& name : filesInDir()) before[name] = *readWholeFile(dir / name);

    EXPECT_EQ(autoSave(*state), *c.written != 0);
    for (const auto& [name, bytes] : before) {
      if (name != c.written) {
        EXPECT_EQ(*readWholeFile(dir / name), bytes) << name;
      }
    }
    if (*c.written == 0) {
      EXPECT_TRUE(host.logContains("Production mode: " + path("released.vk") + " stays as released"));
      continue;
    }
    EXPECT_TRUE(fs::exists(dir / c.written));
    EXPECT_TRUE(host.logContains(path(c.written)));  // the log says where the program went
    EXPECT_EQ(state->fileName(), path(c.fileName));
    ASSERT_TRUE(autoSave(*state));  // the next download's save goes to the same file
    EXPECT_EQ(state->projectPath(), path(c.written));
  }
}

TEST_F(OpenSaveTest, ChipChangeAsksOnlyWithAProgram) {
  choose("VK1620");
  state->setFileName(path("a.vk"));
  EXPECT_EQ(state->changeChip("QD48K025T0"), ChipChange::Cleared);
  EXPECT_TRUE(host.unexpectedQuestions.empty());
  EXPECT_EQ(state->fileName(), "");
  EXPECT_EQ(state->changeChip("VK1620"), ChipChange::Cleared);
  state->image().setWord(3, 0x3FFE);
  state->image().setWord(4, 0x3FFF);
  state->setFileName(path("a.vk"));
  host.answers.push_back(MessageAnswer::Cancel);  // Escape: nothing changes
  EXPECT_EQ(state->changeChip("WT58P04"), ChipChange::Cancelled);
  EXPECT_EQ(state->chipModelName(), "VK1620");
  EXPECT_EQ(state->image().word(3), 0x3FFE);
  EXPECT_EQ(state->fileName(), path("a.vk"));
  host.answers.push_back(MessageAnswer::Yes);
  // 16-bit and larger: the kept words stay, blanks adapt, the added words are blank.
  EXPECT_EQ(state->changeChip("WT58P04"), ChipChange::Kept);
  EXPECT_EQ(state->image().word(3), 0x3FFE);
  EXPECT_EQ(state->image().word(4), 0xFFFF);
  EXPECT_EQ(state->image().word(1024), 0xFFFF);
  EXPECT_EQ(state->image().word(4095), 0xFFFF);
  EXPECT_EQ(usedWords(state->image(), 0xFFFF), 4);  // the code size stays
  EXPECT_EQ(state->fileName(), path("a.vk"));
  host.answers.push_back(MessageAnswer::No);
  EXPECT_EQ(state->changeChip("VK1620"), ChipChange::Cleared);
  EXPECT_EQ(state->image().word(3), 0x3FFF);
  EXPECT_EQ(state->projectPath(), "");
  EXPECT_EQ(state->changeChip("VK1620"), ChipChange::Same);  // the same chip again: nothing at all
  EXPECT_TRUE(host.answers.empty());
}

}  // namespace
}  // namespace kt90
