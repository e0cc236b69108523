#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/app/PortSelection.h"
#include "core/app/ShellState.h"
#include "core/base/FileIo.h"
#include "core/chip/CIniFile.h"
#include "support/TempDir.h"

namespace kt90 {
namespace {

const std::vector<std::string> kTwoPorts = {"STMicroelectronics Virtual COM Port (COM3)", "KT90 (COM7)"};

TEST(PortSelection, RebuildMarksTheStoredEntryOrTheFirstSerialPort) {
  MemoryProfile profile;
  PortSelection ports;
  ports.rebuild(kTwoPorts, profile, kEnglish);
  ASSERT_EQ(ports.entries().size(), 3u);
  EXPECT_EQ(ports.entries()[2], emulatorPortText(kEnglish));
  EXPECT_EQ(ports.chosen(), 0u);
  EXPECT_EQ(ports.nextFreeCommand(), 1227);

  profile.writeString(profile::kComPort, "KT90 (COM7)");
  ports.rebuild(kTwoPorts, profile, kEnglish);
  EXPECT_EQ(ports.chosenText(), "KT90 (COM7)");

  // A port that is gone: the first entry is marked, the profile keeps the old text.
  profile.writeString(profile::kComPort, "KT90 (COM9)");
  ports.rebuild(kTwoPorts, profile, kEnglish);
  EXPECT_EQ(ports.chosen(), 0u);
  EXPECT_EQ(profile.readString(profile::kComPort, ""), "KT90 (COM9)");

  // Equal names: the later entry wins.
  ports.rebuild({"KT90 (COM9)", "KT90 (COM9)"}, profile, kEnglish);
  EXPECT_EQ(ports.chosen(), 1u);

  // No serial port: nothing is marked, the emulator is never taken unasked.
  profile.writeString(profile::kComPort, "");
  ports.rebuild({}, profile, kChinese);
  EXPECT_EQ(ports.entries(), std::vector<std::string>{emulatorPortText(kChinese)});
  EXPECT_FALSE(ports.chosen().has_value());
  EXPECT_EQ(ports.chosenText(), "");
  EXPECT_FALSE(ports.emulatorChosen());
}

TEST(PortSelection, CommandsStoreTheirTextAndNumbersRestartAtEveryRebuild) {
  MemoryProfile profile;
  PortSelection ports;
  ports.rebuild(kTwoPorts, profile, kEnglish);
  EXPECT_FALSE(ports.choose(1223, profile));
  EXPECT_FALSE(ports.choose(1227, profile));
  EXPECT_TRUE(ports.choose(1225, profile));
  EXPECT_EQ(profile.readString(profile::kComPort, ""), "KT90 (COM7)");
  EXPECT_TRUE(ports.choose(1226, profile));
  EXPECT_TRUE(ports.emulatorChosen());

  // The emulator stored in English is still the emulator after a switch to Chinese.
  ports.rebuild({kTwoPorts[1]}, profile, kChinese);
  EXPECT_EQ(ports.commandOf(0), 1224);
  EXPECT_TRUE(ports.emulatorChosen());
  EXPECT_EQ(ports.chosenText(), emulatorPortText(kChinese));
}

TEST(PortSelection, TypedPortsAreEntriesOpenedByTheirPath) {
  MemoryProfile profile;
  PortSelection ports;
  ports.rebuild(kTwoPorts, profile, kEnglish);
  ports.chooseTypedPort("/dev/pts/3", profile, kEnglish);
  EXPECT_EQ(ports.chosenText(), "Other port (/dev/pts/3)");
  EXPECT_EQ(ports.entries().back(), emulatorPortText(kEnglish));
  EXPECT_EQ(ports.entries().size(), 4u);
  ports.chooseTypedPort("/dev/pts/3", profile, kEnglish);  // not twice
  EXPECT_EQ(ports.entries().size(), 4u);

  // Remembered across a restart, in the other language too.
  ports.rebuild(kTwoPorts, profile, kChinese);
  EXPECT_EQ(ports.chosenText(), "其他端口 (/dev/pts/3)");
  EXPECT_EQ(typedPortPath(ports.chosenText()), "/dev/pts/3");
  EXPECT_EQ(typedPortPath("Other port (a (b))"), "a (b)");
  EXPECT_FALSE(typedPortPath("Other port ()").has_value());
  EXPECT_FALSE(typedPortPath("KT90 (COM7)").has_value());
  EXPECT_TRUE(isEmulatorPortText(emulatorPortText(kChinese)));
}

TEST(ShellState, CloseUpdataWritesTheSettingsFileAndLanguagesAskForARestart) {
  namespace fs = std::filesystem;
  const fs::path dir = test::uniqueTempDir("kt90_shell_state");
  fs::remove_all(dir);
  fs::create_directories(dir / "DLL");
  { std::ofstream(dir / "DLL" / "set.dll") << "[Settings]\r\nWndTxt=ABC\r\n"; }
  MemoryProfile profile;
  ShellState shell(profile, pathToUtf8(dir), true);
  const CIniFile ini(pathToUtf8(dir / "DLL" / "set.dll"));

  EXPECT_TRUE(shell.toggleUpdateCheck());
  EXPECT_FALSE(shell.updateCheckOff());
  EXPECT_EQ(ini.ReadInt("Settings", "CloseUpdata", -1), 0);
  EXPECT_TRUE(shell.toggleUpdateCheck());
  EXPECT_TRUE(shell.updateCheckOff());
  EXPECT_EQ(ini.ReadInt("Settings", "CloseUpdata", -1), 1);
  EXPECT_EQ(ini.ReadString("Settings", "WndTxt"), "ABC");

  // An unwritable settings file: the switch still follows the command.
  ShellState nowhere(profile, pathToUtf8(dir / "missing" / "deeper"), true);
  EXPECT_FALSE(nowhere.toggleUpdateCheck());
  EXPECT_FALSE(nowhere.updateCheckOff());

  EXPECT_FALSE(shell.restartPending());
  shell.chooseLanguage(kChinese);  // also the language already running
  EXPECT_TRUE(shell.restartPending());
  EXPECT_EQ(profile.readInt(profile::kLanguage, 0), kChinese);
  shell.chooseLanguage(kEnglish);
  EXPECT_EQ(profile.readInt(profile::kLanguage, 0), kEnglish);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kt90
