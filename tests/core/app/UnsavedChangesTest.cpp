#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/app/DocumentTitle.h"
#include "core/app/OpenProgramFile.h"
#include "core/app/RecentFiles.h"
#include "core/app/SaveProgramFile.h"
#include "core/app/WorkingState.h"
#include "core/base/FileIo.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"

namespace kt90 {
namespace {

namespace fs = std::filesystem;

class UnsavedChangesTest : public ::testing::Test {
 protected:
  fs::path dir = test::uniqueTempDir("kt90_unsaved");
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
  std::string sample(const std::string& name) const { return std::string(KT90_TEST_DATA_DIR) + "/samples/" + name; }
};

// What leaves the image with changes no file holds, and what clears that again.
TEST_F(UnsavedChangesTest, EditsLoadsAndSaves) {
  using Step = std::function<void(WorkingState&)>;
  const auto open = [this](const std::string& name) {
    return [this, name](WorkingState& s) { ASSERT_TRUE(openProgramFile(s, sample(name))); };
  };
  const Step flag = [](WorkingState& s) { s.setHeadFlag(headflag::kBlank, !s.image().head.flag(headflag::kBlank)); };
  const Step sameFlag = [](WorkingState& s) { s.setHeadFlag(headflag::kProgram, s.image().head.flag(headflag::kProgram)); };
  const Step editWord = [](WorkingState& s) { s.editImage([&] { s.image().setWord(3, 0x0042); return true; }); };
  const Step cancelledEdit = [](WorkingState& s) { s.editImage([] { return false; }); };
  const Step save = [this](WorkingState& s) { ASSERT_TRUE(saveProgramFile(s, pathToUtf8(dir / "out"), SaveType::Project)); };
  const Step failedOpen = [this](WorkingState& s) { EXPECT_FALSE(openProgramFile(s, pathToUtf8(dir / "none.vk"))); };
  const auto chip = [this](const char* model, MessageAnswer keep) {
    return [this, model, keep](WorkingState& s) {
      host.answers.push_back(keep);
      s.changeChip(model);
    };
  };
  struct Row {
    const char* name;
    std::vector<Step> steps;
    bool unsaved;
  };
  const std::vector<Row> rows = {
      {"a fresh start", {}, false},
      {"a project file opened", {open("blink_vk1620.vk")}, false},
      {"a HEX file opened", {open("blink_vk1620.hex")}, false},
      {"a check box", {open("blink_vk1620.vk"), flag}, true},
      {"a check box set as it was", {open("blink_vk1620.vk"), sameFlag}, false},
      {"Check CRC", {open("blink_vk1620.vk"), [](WorkingState& s) { s.toggleCheckCrc(); }}, true},
      {"an editor that changed a word", {open("blink_vk1620.vk"), editWord}, true},
      {"an editor left unchanged", {open("blink_vk1620.vk"), cancelledEdit}, false},
      {"saved after the edit", {open("blink_vk1620.vk"), editWord, save}, false},
      {"opened again after the edit", {editWord, open("blink_vk1620.vk")}, false},
      {"a file that did not open", {editWord, failedOpen}, true},
      {"the program kept for another chip", {open("blink_vk1620.vk"), chip("QD46K025T0", MessageAnswer::Yes)}, true},
      {"another chip, afresh", {editWord, chip("QD48K025T0", MessageAnswer::No)}, false},
      {"another chip cancelled", {editWord, chip("QD48K025T0", MessageAnswer::Cancel)}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    for (const Step& step : row.steps) step(*state);
    EXPECT_EQ(state->unsavedChanges(), row.unsaved);
  }
}

TEST(DocumentTitle, FileNameAndMark) {
  struct Row {
    const char* path;
    bool unsaved;
    LanguageId language;
    const char* title;
  };
  for (const Row& row : {Row{"", false, kEnglish, "KT90 V1.0"}, Row{"", true, kEnglish, "Untitled* - KT90 V1.0"},
                         Row{"", true, kChinese, "未命名* - KT90 V1.0"},
                         Row{"/work/a b/blink.vk", false, kEnglish, "blink.vk - KT90 V1.0"},
                         Row{"/work/blink.hex", true, kChinese, "blink.hex* - KT90 V1.0"}}) {
    EXPECT_EQ(documentTitle("KT90 V1.0", row.path, row.unsaved, row.language), row.title);
  }
}

TEST(RecentFiles, NewestFirstOnceAndKeptInTheProfile) {
  MemoryProfile profile;
  profile.writeString("RecentFile1", "/a.vk");
  profile.writeString("RecentFile3", "/a.vk");  // a hand-edited repeat after a gap
  profile.writeString("RecentFile4", "/b.hex");
  RecentFiles recent(profile);
  EXPECT_EQ(recent.paths(), (std::vector<std::string>{"/a.vk", "/b.hex"}));

  recent.add("/b.hex");
  recent.add("");
  EXPECT_EQ(recent.paths(), (std::vector<std::string>{"/b.hex", "/a.vk"}));
  for (int i = 0; i < 10; ++i) recent.add("/f" + std::to_string(i) + ".vk");
  ASSERT_EQ(recent.paths().size(), RecentFiles::kMaxEntries);
  EXPECT_EQ(recent.paths().front(), "/f9.vk");
  EXPECT_EQ(recent.paths().back(), "/f2.vk");
  recent.remove("/f5.vk");
  EXPECT_EQ(RecentFiles(profile).paths(), recent.paths());
  EXPECT_EQ(RecentFiles(profile).paths().size(), RecentFiles::kMaxEntries - 1);
}

}  // namespace
}  // namespace kt90
