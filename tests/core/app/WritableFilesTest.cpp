#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/app/Settings.h"
#include "core/app/WritableFiles.h"
#include "core/base/FileIo.h"
#include "core/chip/CIniFile.h"
#include "core/editors/UidBindingEditor.h"
#include "core/programmer/HardwareTest.h"
#include "support/TempDir.h"
#include "support/TestPlatform.h"

namespace kt90 {
namespace {

namespace fs = std::filesystem;

// A program directory and a user folder side by side in a fresh temporary folder.
struct Folders {
  explicit Folders(const char* name) : root(test::uniqueTempDir(name)) {
    fs::remove_all(root);
    fs::create_directories(program / "DLL");
    fs::create_directories(root / "home");
  }
  ~Folders() { fs::remove_all(root); }
  WritableFiles files(bool programWritable) const {
    return WritableFiles(pathToUtf8(program), pathToUtf8(user), programWritable);
  }
  static void write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string read(const fs::path& path) {
    const auto bytes = readWholeFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<missing>");
  }
  fs::path root;
  fs::path program = root / "share" / "kt90";
  fs::path user = root / "home" / "kt90";
};

TEST(WritableFiles, TheUserFolderFollowsThePlatformsRules) {
  EXPECT_EQ(userDataDir({"/x/data", "/home/ann", "", false}), "/x/data/kt90");
  // A relative XDG_DATA_HOME is to be ignored.
  EXPECT_EQ(userDataDir({"rel/data", "/home/ann", "", false}), "/home/ann/.local/share/kt90");
  EXPECT_EQ(userDataDir({"", "/home/ann", "", false}), "/home/ann/.local/share/kt90");
  EXPECT_EQ(userDataDir({"", "", "C:/Users/ann/AppData/Roaming", false}), "");
  // Windows' folder is shown with its own separator, however APPDATA was written.
  EXPECT_EQ(userDataDir({"/x/data", "/home/ann", "C:/Users/ann/AppData/Roaming", true}),
            "C:\\Users\\ann\\AppData\\Roaming\\kt90");
  EXPECT_EQ(userDataDir({"", "", "C:\\Users\\ann\\AppData\\Roaming\\", true}), "C:\\Users\\ann\\AppData\\Roaming\\kt90");
  EXPECT_EQ(userDataDir({"/x/data", "/home/ann", "", true}), "");
}

TEST(WritableFiles, AWritableProgramDirectoryKeepsEverythingEvenWhenAUserCopyExists) {
  Folders f("kt90_wf_writable");
  Folders::write(f.user / "KT_ID.TXT", "user\r\n");
  const WritableFiles files = f.files(true);
  EXPECT_EQ(files.readPath("KT_ID.TXT"), f.program / "KT_ID.TXT");
  EXPECT_EQ(files.writePath("DLL/set.dll"), f.program / "DLL" / "set.dll");
  EXPECT_EQ(files.whereLine(files.writePath("KT_ID.TXT"), kEnglish), "");

  // No user folder known: the program directory, writable or not.
  const WritableFiles noUser(pathToUtf8(f.program), "", false);
  EXPECT_EQ(noUser.writePath("KT_ID.TXT"), f.program / "KT_ID.TXT");
  EXPECT_EQ(noUser.readPath("KT_ID.TXT"), f.program / "KT_ID.TXT");
}

TEST(WritableFiles, AReadOnlyProgramDirectoryMovesWritesAndPreferredReadsToTheUser) {
  Folders f("kt90_wf_readonly");
  Folders::write(f.program / "HwTest.ini", "[HwTest]\nFlag=0x10\n");
  const WritableFiles files = f.files(false);

  // Nothing of the user's yet: the shipped file is read; writes make the user's folders.
  EXPECT_EQ(files.readPath("HwTest.ini"), f.program / "HwTest.ini");
  EXPECT_EQ(files.readPath("KT_ID.TXT"), f.program / "KT_ID.TXT");
  const fs::path written = files.writePath("DLL/set.dll");
  EXPECT_EQ(written, f.user / "DLL" / "set.dll");
  EXPECT_TRUE(fs::is_directory(f.user / "DLL"));

  Folders::write(f.user / "HwTest.ini", "[HwTest]\nFlag=0x20\n");
  EXPECT_EQ(files.readPath("HwTest.ini"), f.user / "HwTest.ini");
  EXPECT_EQ(hardwareTestSelection(files), 0x20u);
  EXPECT_EQ(hardwareTestSelection(f.files(true)), 0x10u);

  const std::string where = files.whereLine(f.user / "HwTest.ini", kEnglish);
  EXPECT_NE(where.find("HwTest.ini"), std::string::npos);
  EXPECT_NE(where.find(pathToUtf8(f.user / "HwTest.ini")), std::string::npos);
  EXPECT_NE(files.whereLine(f.user / "HwTest.ini", kChinese).find("程序目录不可写"), std::string::npos);
  EXPECT_EQ(files.whereLine(f.program / "HwTest.ini", kEnglish), "");
  // A sibling folder whose name merely starts like the user folder is not in it.
  EXPECT_FALSE(files.inUserDir(f.root / "home" / "kt90x" / "KT_ID.TXT"));
  EXPECT_FALSE(files.inUserDir(f.user));
}

TEST(WritableFiles, TheProbeFindsWritableFoldersAndAMissingProgramDirectoryStaysPut) {
  Folders f("kt90_wf_probe");
  EXPECT_TRUE(directoryWritable(f.program));
  EXPECT_FALSE(directoryWritable(f.program / "missing"));
  Folders::write(f.program / "plain.txt", "x");
  EXPECT_FALSE(directoryWritable(f.program / "plain.txt"));
  // The probe leaves nothing behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(f.program), fs::directory_iterator()), 2);

  // A program directory that does not exist is not a reason to write elsewhere.
  const WritableFiles missing(pathToUtf8(f.root / "nowhere"), pathToUtf8(f.user));
  EXPECT_FALSE(missing.usesUserDir());
  EXPECT_EQ(missing.writePath("KT_ID.TXT"), f.root / "nowhere" / "KT_ID.TXT");
  EXPECT_FALSE(WritableFiles(pathToUtf8(f.program), pathToUtf8(f.user)).usesUserDir());
}

TEST(WritableFiles, AReadOnlyFolderIsFoundByTheProbe) {
  if (!test::folderPermissionsEnforced())
    GTEST_SKIP() << "root, and anybody on Windows, writes into read-only folders";
  Folders f("kt90_wf_probe_readonly");
  fs::permissions(f.program, fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_FALSE(directoryWritable(f.program));
  EXPECT_TRUE(WritableFiles(pathToUtf8(f.program), pathToUtf8(f.user)).usesUserDir());
  fs::permissions(f.program, fs::perms::owner_write, fs::perm_options::add);
}

TEST(WritableFiles, CloseUpdataGoesToTheUsersCopyAndIsReadFromItFirst) {
  Folders f("kt90_wf_settings");
  const std::string shipped = "; shipped\r\n[Settings]\r\nWndTxt=ABC\r\nVersion=1.0.3\r\nCloseUpdata=1\r\n";
  Folders::write(f.program / "DLL" / "set.dll", shipped);
  const WritableFiles files = f.files(false);

  EXPECT_TRUE(readSettings(files).updateCheckOff);
  const auto written = writeCloseUpdata(files, false);
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(*written, f.user / "DLL" / "set.dll");
  EXPECT_EQ(Folders::read(f.program / "DLL" / "set.dll"), shipped);  // the installation's file is untouched

  Settings s = readSettings(files);
  EXPECT_FALSE(s.updateCheckOff);
  EXPECT_EQ(s.windowText, "ABC");  // every other key stays the installation's

  // A user copy without the key, or a writable program directory, reads the shipped value.
  Folders::write(f.user / "DLL" / "set.dll", "[Settings]\r\nWndTxt=Other\r\n");
  s = readSettings(files);
  EXPECT_TRUE(s.updateCheckOff);
  EXPECT_EQ(s.windowText, "ABC");
  ASSERT_TRUE(writeCloseUpdata(files, false).has_value());
  EXPECT_TRUE(readSettings(f.files(true)).updateCheckOff);

  // Writable: the installation's own file changes, keeping its other lines.
  const auto inPlace = writeCloseUpdata(f.files(true), false);
  ASSERT_TRUE(inPlace.has_value());
  EXPECT_EQ(*inPlace, f.program / "DLL" / "set.dll");
  EXPECT_EQ(CIniFile(pathToUtf8(*inPlace)).ReadInt("Settings", "CloseUpdata", -1), 0);
  EXPECT_EQ(CIniFile(pathToUtf8(*inPlace)).ReadString("Settings", "WndTxt"), "ABC");
}

TEST(WritableFiles, TheUidDialogSavesAndLoadsTheUsersKtIdFileAndSaysWhere) {
  Folders f("kt90_wf_ktid");
  Folders::write(f.program / "KT_ID.TXT", "00 11 22 33 44 55 66 77 88 99 AA BB \r\n");
  std::vector<ProgrammerUid> list;
  RecordingReporter log;
  UidBindingEditor editor(list, std::nullopt, kEnglish, log);
  const WritableFiles files = f.files(false);

  // Before the user saved anything, load reads the shipped file and says nothing.
  ASSERT_TRUE(editor.load(files));
  EXPECT_EQ(editor.rows()[0], "00 11 22 33 44 55 66 77 88 99 AA BB ");
  EXPECT_TRUE(log.logLines.empty());

  editor.setRow(1, "01 02 03 04 05 06 07 08 09 0A 0B 0C ");
  RecordingReporter alerts;
  ASSERT_TRUE(editor.save(files, alerts));
  EXPECT_TRUE(alerts.alerts.empty());
  ASSERT_EQ(log.logLines.size(), 1u);
  EXPECT_NE(log.logLines[0].find(pathToUtf8(f.user / "KT_ID.TXT")), std::string::npos);
  EXPECT_EQ(Folders::read(f.program / "KT_ID.TXT"), "00 11 22 33 44 55 66 77 88 99 AA BB \r\n");

  editor.clear();
  ASSERT_TRUE(editor.load(files));
  EXPECT_EQ(editor.rows()[1], "01 02 03 04 05 06 07 08 09 0A 0B 0C ");
  EXPECT_EQ(log.logLines.size(), 2u);

  // A user folder that cannot be made: the save fails with its message box.
  Folders::write(f.root / "blocked", "a file, not a folder");
  const WritableFiles blocked(pathToUtf8(f.program), pathToUtf8(f.root / "blocked" / "kt90"), false);
  EXPECT_FALSE(editor.save(blocked, alerts));
  EXPECT_EQ(alerts.alerts.size(), 1u);
}

}  // namespace
}  // namespace kt90
