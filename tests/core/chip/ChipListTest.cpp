#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "ChipTestSupport.h"
#include "core/chip/ChipDefinition.h"
#include "core/chip/ChipList.h"
#include "core/chip/Cif.h"

namespace kt90 {
namespace {

using testing::TempProgramDir;

// Sorted by name without regard to case (letters as capitals), whatever order the file
// system lists them in, so every system gives the same list and the same first chip.
TEST(ChipList, ListsDevFilesSortedByNameWithoutRegardToCase) {
  const struct {
    std::vector<const char*> files;
    std::vector<std::string> listed;
  } cases[] = {
      {{"B.dev", "A.dev", "Zeta.DEV", "mixed.Dev", "readme.txt", "X.devx", "noext"}, {"A", "B", "mixed", "Zeta"}},
      {{"qd2.dev", "QD10.dev", "Qd1.dev"}, {"Qd1", "QD10", "qd2"}},
      {{"_under.dev", "a.dev", "Z.dev", "ab.dev", "ABC.dev"}, {"a", "ab", "ABC", "Z", "_under"}},
      // Equal but for case, upper case first: only where the file system keeps both.
      {{"ab.dev", "AB.dev", "b.dev"}, {"AB", "ab", "b"}},
  };
  for (const auto& c : cases) {
    TempProgramDir dir;
    for (const char* name : c.files) dir.writeBytes(std::string("CH_DEV/") + name, "[ROM]\r\n");
    const auto kept = std::distance(std::filesystem::directory_iterator(dir.path() / "CH_DEV"),
                                    std::filesystem::directory_iterator());
    if (kept < static_cast<std::ptrdiff_t>(c.files.size())) continue;  // it folds case (Windows)
    std::filesystem::create_directories(dir.path() / "CH_DEV" / "folder.dev");
    EXPECT_EQ(listChipModels(dir.dir(), kChinese), c.listed);
  }
}

// Files copied from Windows keep whatever case they had there; every listed title loads,
// with its CIF block, on a file system that tells case apart.
TEST(ChipList, EveryListedTitleLoadsWhateverTheCaseOfItsFiles) {
  TempProgramDir dir;
  for (const char* name : {"ch_dev/UPPER.DEV", "ch_dev/lower.Dev", "ch_dev/co:lon.dev"}) {
    dir.writeBytes(name, "[ROM]\r\nSize=16\r\n");
  }
  dir.writeBytes("Cif/upper.CIF", std::string(kCifSize, 'u'));
  dir.writeBytes("Cif/LOWER.cif", std::string(kCifSize, 'l'));
  auto listed = listChipModels(dir.dir(), kChinese);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"UPPER", "lower"}));
  for (const std::string& model : listed) {
    SCOPED_TRACE(model);
    ChipInfo info;
    ProgramImage image;
    RecordingReporter reporter;
    EXPECT_TRUE(LoadChipDefinition(ChipContext{dir.dir(), kChinese, model}, true, info, image, reporter));
    EXPECT_EQ(image.codeWords(), 16u);
    const auto cif = LoadCif(dir.dir(), model);
    ASSERT_TRUE(cif);
    EXPECT_EQ((*cif)[0], model == "UPPER" ? 'u' : 'l');
  }
}

TEST(ChipList, FolderFollowsLanguage) {
  TempProgramDir dir;
  dir.writeBytes("CH_DEV/Chinese.dev", "");
  dir.writeBytes("EN_DEV/English.dev", "");
  EXPECT_EQ(listChipModels(dir.dir(), kChinese), std::vector<std::string>{"Chinese"});
  EXPECT_EQ(listChipModels(dir.dir(), kEnglish), std::vector<std::string>{"English"});
  EXPECT_TRUE(listChipModels(dir.dir(), 1041).empty());
  EXPECT_TRUE(listChipModels(dir.dir() + "/missing", kChinese).empty());
  EXPECT_EQ(chipDefinitionFolder(1041), "");
}

TEST(ChipList, PrefixSearchStartsAtSecondEntryAndWraps) {
  const std::vector<std::string> entries = {"QD48K025T0", "VK1620", "QD46K025T0"};
  EXPECT_EQ(prefixSearch(entries, "qd48"), 0u);  // only the first matches: found after wrapping
  EXPECT_EQ(prefixSearch(entries, "QD4"), 2u);   // the first entry is searched last
  EXPECT_EQ(prefixSearch(entries, "vk16"), 1u);
  EXPECT_EQ(prefixSearch(entries, "VK1620X"), std::nullopt);
  EXPECT_EQ(prefixSearch({}, "VK"), std::nullopt);
  EXPECT_EQ(prefixSearch({"ABC1", "ABC2"}, "abc"), 1u);
  EXPECT_EQ(prefixSearch({"ONLY"}, "on"), 0u);
}

TEST(ChipList, RememberedChipSelection) {
  const std::vector<std::string> entries = {"ABC1", "ABC2", "XYZ"};
  auto choice = chooseRememberedChip(entries, "xyz");
  EXPECT_EQ(choice.selected, 2u);
  EXPECT_EQ(choice.modelName, "XYZ");

  choice = chooseRememberedChip(entries, "gone");  // a vanished model selects the first entry
  EXPECT_EQ(choice.selected, 0u);
  EXPECT_EQ(choice.modelName, "ABC1");

  choice = chooseRememberedChip({}, "ABC1");
  EXPECT_EQ(choice.selected, std::nullopt);
  EXPECT_EQ(choice.modelName, "");

  // Nothing remembered: a first start selects the first chip of the list.
  EXPECT_EQ(chooseRememberedChip(entries, "").selected, 0u);
}

TEST(ChipList, ExactNameBeatsLongerEntryFoundFirst) {
  const std::vector<std::string> entries = {"QD46K300T1", "QD46K300T1A"};
  EXPECT_EQ(prefixSearch(entries, "QD46K300T1"), 1u);
  const auto choice = chooseRememberedChip(entries, "QD46K300T1");
  EXPECT_EQ(choice.selected, 0u);
  EXPECT_EQ(choice.modelName, "QD46K300T1");
  EXPECT_EQ(selectChipEntry(entries, "qd46k300t1a"), 1u);
}

}  // namespace
}  // namespace kt90
