#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/app/LogText.h"
#include "core/app/OperatingMode.h"
#include "core/app/ProgramDir.h"
#include "core/app/ProgramPaths.h"
#include "core/app/Settings.h"
#include "core/app/ShellState.h"
#include "core/base/FileIo.h"
#include "support/TempDir.h"

namespace kt90 {
namespace {

TEST(ProgramPaths, OnlyTheFileNamesExtensionCounts) {
  EXPECT_EQ(fileExtension("/a/b/A.HEX"), "hex");
  EXPECT_EQ(fileExtension("/a/x.vk.d/file"), "");
  EXPECT_EQ(fileExtension("C:\\x.vk.d\\prog.Bin"), "bin");
  EXPECT_EQ(projectPathFor("/a/b/A.HEX"), "/a/b/A.vk");
  EXPECT_EQ(projectPathFor("/data/x.vk.d/prog.pro"), "/data/x.vk.d/prog.vk");
  EXPECT_EQ(projectPathFor("/data/x.hex.d/prog.vk"), "/data/x.hex.d/prog.vk");
  EXPECT_EQ(projectPathFor("/data/prog.txt"), "/data/prog.txt.vk");
  EXPECT_EQ(projectPathFor(""), "");
  EXPECT_EQ(savePathFor("/d/out.bin", SaveType::Hex), "/d/out.bin.hex");
  EXPECT_EQ(savePathFor("/d/out.hex", SaveType::Hex), "/d/out.hex");
  EXPECT_EQ(savePathFor("/d/x.vk.d/out", SaveType::Project), "/d/x.vk.d/out.vk");
  SaveType type{};
  EXPECT_TRUE(saveTypeFromExtension("a.BIN", type));
  EXPECT_EQ(type, SaveType::Bin);
  EXPECT_FALSE(saveTypeFromExtension("a.pro", type));
}

TEST(LogText, ClearEntryCutAndFourKilobyteRule) {
  std::tm now{};
  now.tm_hour = 9;
  now.tm_min = 5;
  now.tm_sec = 7;
  LogText log;
  EXPECT_EQ(log.append("first\r\n", true, now), "09:05:07 first\r\n");
  EXPECT_EQ(log.append("CLEAR", true, now), "");
  EXPECT_EQ(log.text(), "");
  log.append("CLEAR\r\n", true, now);  // an ordinary entry
  EXPECT_EQ(log.text(), "09:05:07 CLEAR\r\n");
  log.clear();
  log.append(std::string(4100, 'x'), false, now);  // cut to 1,023
  EXPECT_EQ(log.text().size(), 1023u);
  for (int i = 0; i < 3; ++i) log.append(std::string(1023, 'y'), false, now);
  EXPECT_EQ(log.text().size(), 4092u);
  log.append(std::string(4, 'z'), false, now);
  EXPECT_EQ(log.text().size(), 4096u);
  log.append("next", true, now);  // 4,096 reached: emptied first
  EXPECT_EQ(log.text(), "09:05:07 next");
}

TEST(OperatingMode, StoredValuesNormalise) {
  EXPECT_EQ(normaliseOperatingMode(0), kProductionMode);
  EXPECT_EQ(normaliseOperatingMode(5), kResearchMode);
  EXPECT_EQ(normaliseOperatingMode(kServiceMarker), kServiceMarker);
  EXPECT_EQ(normaliseOperatingMode(0xFFFFFFFF), 0xFFFFFFFFu);
}

class SettingsTest : public ::testing::Test {
 protected:
  std::filesystem::path dir = test::uniqueTempDir("kt90_settings");
  void SetUp() override { std::filesystem::create_directories(dir / "DLL"); }
  void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(SettingsTest, MissingFileGivesDefaultsAndTitle) {
  const Settings s = readSettings(pathToUtf8(dir / "nowhere"));
  EXPECT_TRUE(s.updateCheckOff);
  EXPECT_EQ(s.versionLength, 8);
  EXPECT_EQ(s.supportedFirmware, "");
  EXPECT_EQ(windowTitle(s), std::string(" V") + kProgramVersion);
}

TEST_F(SettingsTest, ReadsEveryKey) {
  std::ofstream(dir / "DLL" / "set.dll") << "[Settings]\r\nWndTxt=ABC\r\nVersion=1.0.3\r\nCloseUpdata=0\r\n"
                                             "CheckVersion=1\r\nCK_URL=http://127.0.0.1/v\r\nVersionLength=0x6\r\n"
                                             "FmVer=KT90 V5.1;KT90 V5.2\r\n";
  const Settings s = readSettings(pathToUtf8(dir));
  EXPECT_EQ(windowTitle(s), std::string("ABC V") + kProgramVersion);  // the file's Version is not ours
  EXPECT_FALSE(s.updateCheckOff);
  EXPECT_EQ(s.checkVersion, 1);
  EXPECT_EQ(s.checkUrl, "http://127.0.0.1/v");
  EXPECT_EQ(s.versionLength, 6);
  EXPECT_EQ(s.supportedFirmware, "KT90 V5.1;KT90 V5.2");
}

TEST_F(SettingsTest, ProgramDirectoryOrder) {
  const std::string exe = pathToUtf8(dir / "bin");
  const std::string installed = pathToUtf8(dir / "share");
  std::filesystem::create_directories(dir / "share" / "EN_DEV");
  EXPECT_EQ(findProgramDir(std::string("/explicit"), "/env", exe, {installed}), "/explicit");
  EXPECT_EQ(findProgramDir(std::nullopt, "/env", exe, {installed}), "/env");
  EXPECT_EQ(findProgramDir(std::nullopt, nullptr, exe, {installed}), installed);
  std::filesystem::create_directories(dir / "bin" / "CH_DEV");
  EXPECT_EQ(findProgramDir(std::nullopt, "", exe, {installed}), exe);
}

// A program directory of its own (--data-dir) without DOC still finds the program's guide:
// the build tree's, else the installed one.
TEST_F(SettingsTest, HelpDocumentComesFromTheProgramWhenTheProgramDirectoryHasNone) {
  const std::string data = pathToUtf8(dir / "data"), exe = pathToUtf8(dir / "bin");
  const std::string installed = pathToUtf8(dir / "share" / "kt90");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{data, exe, installed}, data}, {{exe, installed}, exe}, {{installed}, installed}, {{}, data}};
  for (const auto& [guides, expected] : cases) {
    std::filesystem::remove_all(dir);
    for (const std::string& folder : guides) {
      std::filesystem::create_directories(pathFromUtf8(folder) / "DOC");
      std::ofstream(pathFromUtf8(folder) / "DOC" / "help.pdf") << "%PDF";
    }
    EXPECT_EQ(helpDocumentPath(data, exe), expected + "/DOC/help.pdf") << guides.size();
  }
}

}  // namespace
}  // namespace kt90
