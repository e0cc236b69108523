#include <gtest/gtest.h>

#include "core/chip/ChipDefinition.h"
#include "core/chip/ChipTestSupport.h"
#include "core/editors/OptionEditorModel.h"

namespace kt90 {
namespace {

using testing::TempProgramDir;

// A range item (type 0) of word 0: the worked example's field, bits 4..3.
const char* const kRangeItem =
    "[OTPOption0_Item0]\r\nItemType=0\r\nName=Range\r\nBitStart=4\r\nBitEnd=3\r\nItemCount=4\r\n"
    "Item0_Name=A\r\nItem0_Val=0\r\nItem1_Name=B\r\nItem1_Val=0x0008\r\n"
    "Item2_Name=C\r\nItem2_Val=0x0010\r\nItem3_Name=D\r\nItem3_Val=0x0018\r\n";

const char* const kPackages =
    "[Package]\r\nOpenShortPINS=14\r\nPackageCount=3\r\n"
    "Item0_Name=SOP8\r\nItem0_Val0=1\r\nItem0_Val7=8\r\n"
    "Item1_Name=SOP14\r\nItem1_Val0=2\r\nItem1_Val7=9\r\n"
    "Item2_Name=DIP14\r\nItem2_Val0=3\r\nItem2_Val7=10\r\n";

class OptionEditorTest : public ::testing::Test {
 protected:
  TempProgramDir dir;
  ProgramImage image;
  RecordingReporter reporter;

  std::optional<OptionEditorModel> open(const std::string& text, LanguageId language = kChinese) {
    dir.writeDefinition("CHIP", text);
    return openOptionEditor(chipDefinitionPath(dir.dir(), kChinese, "CHIP"), "CHIP", image, 0x3FFF, language, reporter);
  }
  void setPinMap(std::uint8_t first, std::uint8_t last) {
    image.openShort.bytes.fill(0);
    image.openShort.bytes[2] = first;
    image.openShort.bytes[9] = last;
  }
};

TEST_F(OptionEditorTest, RangeItemSelectsTheCurrentChoiceAndOkWritesOnlyItsBits) {
  image.setOptionWord(0, 0x3FE7);
  auto model = open(std::string("[OTPOption]\r\nOptionWords=1\r\nOptAddr0=0x2000\r\nOptItems0=1\r\n") + kRangeItem);
  ASSERT_TRUE(model);
  ASSERT_EQ(model->rows().size(), 1u);  // no packages, no package row
  EXPECT_EQ(model->rows()[0].label, "Range");
  EXPECT_EQ(model->rows()[0].entries, (std::vector<std::string>{"A", "B", "C", "D"}));
  EXPECT_EQ(model->rows()[0].selected, 0u);

  ASSERT_TRUE(model->choose(0, 2));
  EXPECT_FALSE(model->choose(0, 4));
  EXPECT_FALSE(model->choose(1, 0));
  model->accept(image);
  EXPECT_EQ(image.optionWord(0), 0x3FF7);
}

TEST_F(OptionEditorTest, ListedBitsNotSelectableEntriesAndEmptyRanges) {
  image.setOptionWord(3, 0x3F7E);
  image.setOptionWord(4, 0x1234);
  auto model = open(
      "[OTPOption]\r\nOptionWords=2\r\nOptAddr0=0x2003\r\nOptItems0=1\r\nOptAddr1=0x2004\r\nOptItems1=1\r\n"
      "[OTPOption0_Item0]\r\nItemType=1\r\nBitCount=2\r\nBit0=0\r\nBit1=7\r\nItemCount=4\r\n"
      "Item0_Val=0\r\nItem1_Val=1\r\nItem1_Not=1\r\nItem2_Val=0x80\r\nItem2_Not=2\r\nItem3_Val=0x81\r\nItem3_Not="
      "257\r\n"
      "[OTPOption1_Item0]\r\nItemType=0\r\nName=Empty\r\nBitStart=2\r\nBitEnd=5\r\nItemCount=2\r\n"
      "Item0_Val=0\r\nItem1_Val=0x3C\r\n");
  ASSERT_TRUE(model);
  ASSERT_EQ(model->rows().size(), 2u);
  EXPECT_EQ(model->rows()[0].label, "未定义");
  EXPECT_EQ(model->rows()[0].selected, 0u);  // 0x3F7E has bits 0 and 7 clear
  EXPECT_EQ(model->rows()[0].selectable, (std::vector<bool>{true, false, true, false}));  // 257 is the byte 1

  EXPECT_FALSE(model->choose(0, 1));
  EXPECT_EQ(model->rows()[0].selected, 0u);
  EXPECT_TRUE(model->choose(0, 2));  // "Not" = 2 has no effect
  EXPECT_FALSE(model->choose(0, 3));
  EXPECT_EQ(model->rows()[0].selected, 2u);

  // BitEnd above BitStart: no bits, current value 0, and OK changes nothing there.
  EXPECT_EQ(model->rows()[1].selected, 0u);
  ASSERT_TRUE(model->choose(1, 1));
  model->accept(image);
  EXPECT_EQ(image.optionWord(3), 0x3FFE);
  EXPECT_EQ(image.optionWord(4), 0x1234);
}

TEST_F(OptionEditorTest, RulesApplyInOrderAfterTheItems) {
  image.setOptionWord(0, 0x0A00);
  image.setOptionWord(1, 0xFFFF);
  image.setOptionWord(2, 0x0000);
  // Rule 1 copies word 0's bits 8..11 inverted into bits 3..0 of word 1; rule 2 copies
  // word 1's bits 0..3 (as rule 1 left them) inverted into bits 12..15 of word 2.
  auto model = open(
      "[OTPOption]\r\nOptionWords=3\r\nOptAddr0=0x2000\r\nOptItems0=1\r\nOptAddr1=0x2001\r\nOptItems1=1\r\n"
      "OptAddr2=0x2002\r\nOptItems2=1\r\n"
      "[OTPOption0_Item0]\r\nItemType=0\r\nBitStart=9\r\nBitEnd=9\r\nItemCount=2\r\nItem0_Val=0\r\nItem1_Val=0x200\r\n"
      "[OTPOption1_Item0]\r\nItemType=2\r\nBitEnd=0\r\n"
      "[OTPOption2_Item0]\r\nItemType=2\r\nBitEnd=12\r\nItem0_ReverseBitStart=0\r\nItem0_ReverseBitEnd=3\r\n"
      "Item0_Val=1\r\n");
  ASSERT_TRUE(model);
  EXPECT_EQ(model->rows().size(), 1u);  // rules are never shown
  model->accept(image);
  EXPECT_EQ(image.optionWord(1), 0xFFF5);
  EXPECT_EQ(image.optionWord(2), 0xA000);

  // The item runs first: choosing bit 9 clear changes what the rule reads.
  image.setOptionWord(0, 0x0A00);
  ASSERT_TRUE(model->choose(0, 0));
  model->accept(image);
  EXPECT_EQ(image.optionWord(0), 0x0800);
  EXPECT_EQ(image.optionWord(1), 0xFFF7);
}

TEST_F(OptionEditorTest, RuleBitsOutsideTheWordAreLeftAlone) {
  std::array<std::uint16_t, kOptionWordCount> words{};
  words[0] = 0x8000;
  words[1] = 0x0000;
  // Source bits 14..17: 16 and 17 read as 0; targets 14..17 of word 1: only 14 and 15 exist.
  applyOptionRule(OptionRule{1, 0, 14, 14, 17, 0}, words);
  EXPECT_EQ(words[1], 0x4000);
  // Nothing for a reversed range; targets 15..17 write bit 15 only.
  applyOptionRule(OptionRule{1, 0, 0, 11, 8, 0}, words);
  EXPECT_EQ(words[1], 0x4000);
  applyOptionRule(OptionRule{2, 0, 15, 4, 6, 0}, words);
  EXPECT_EQ(words[2], 0x8000);
}

TEST_F(OptionEditorTest, PackageRowFindsThePinMapOrOffersTheFilesOwn) {
  setPinMap(3, 10);
  image.openShort.setPins(99);
  auto model = open(kPackages, kEnglish);
  ASSERT_TRUE(model);
  ASSERT_EQ(model->rows().size(), 1u);
  EXPECT_TRUE(model->hasPackageRow());
  EXPECT_EQ(model->rows()[0].label, "Package");
  EXPECT_EQ(model->rows()[0].selected, 2u);
  EXPECT_FALSE(model->packageWarning());
  EXPECT_EQ(image.openShort.pins(), 14);  // taken at once

  ASSERT_TRUE(model->choose(0, 0));
  model->accept(image);
  EXPECT_EQ(image.openShort.bytes[2], 1);
  EXPECT_EQ(image.openShort.bytes[9], 8);

  setPinMap(7, 7);
  model = open(kPackages);
  ASSERT_TRUE(model);
  EXPECT_EQ(model->rows()[0].label, "封装");
  EXPECT_TRUE(model->packageWarning());
  EXPECT_EQ(model->rows()[0].entries.back(), "文件中的封装");
  EXPECT_EQ(model->rows()[0].selected, 3u);
  ASSERT_TRUE(model->choose(0, 1));
  ASSERT_TRUE(model->choose(0, 3));
  model->accept(image);
  EXPECT_EQ(image.openShort.bytes[2], 7);
  EXPECT_EQ(image.openShort.bytes[9], 7);
}

TEST_F(OptionEditorTest, CancelKeepsEverythingButThePinTestWord) {
  setPinMap(5, 5);
  image.setOptionWord(0, 0x3FE7);
  image.openShort.setPins(3);
  const ProgramImage before = image;
  auto model =
      open(std::string("[OTPOption]\r\nOptionWords=1\r\nOptAddr0=0x2000\r\nOptItems0=1\r\n") + kRangeItem + kPackages);
  ASSERT_TRUE(model);
  ASSERT_TRUE(model->choose(0, 3));
  ASSERT_TRUE(model->choose(1, 0));
  // Cancel: the model is dropped without accept().
  ProgramImage expected = before;
  expected.openShort.setPins(14);
  EXPECT_TRUE(image == expected);
}

TEST_F(OptionEditorTest, OkWithoutSelectionOrPackagesKeepsTheirBits) {
  image.setOptionWord(0, 0x3FEF);  // bits 4..3 = 01: choice B
  setPinMap(0x11, 0x22);
  auto model = open(
      "[OTPOption]\r\nOptionWords=1\r\nOptAddr0=0x2000\r\nOptItems0=1\r\n"
      "[OTPOption0_Item0]\r\nItemType=0\r\nBitStart=4\r\nBitEnd=3\r\nItemCount=2\r\nItem0_Val=0\r\nItem1_Val=0x18\r\n"
      "[Package]\r\nOpenShortPINS=6\r\n");
  ASSERT_TRUE(model);
  EXPECT_FALSE(model->rows()[0].selected);
  EXPECT_FALSE(model->hasPackageRow());
  model->accept(image);
  EXPECT_EQ(image.optionWord(0), 0x3FEF);
  EXPECT_EQ(image.openShort.bytes[2], 0x11);
  EXPECT_EQ(image.openShort.bytes[9], 0x22);
  EXPECT_EQ(image.openShort.pins(), 6);
}

TEST_F(OptionEditorTest, ItemsOfWordsWithoutAValidAddressAreSkipped) {
  for (int i = 0; i < 16; ++i) image.setOptionWord(i, 0x3FFF);
  const std::string item = "ItemType=0\r\nBitStart=0\r\nBitEnd=0\r\nItemCount=2\r\nItem0_Val=0\r\nItem1_Val=1\r\n";
  auto model = open(
      "[OTPOption]\r\nOptionWords=4\r\nOptItems0=2\r\nOptAddr1=0x2010\r\nOptItems1=1\r\n"
      "OptAddr2=0x1FFF\r\nOptItems2=1\r\nOptAddr3=0x200F\r\nOptItems3=2\r\n"
      "[OTPOption0_Item0]\r\n" +
      item +
      "[OTPOption0_Item1]\r\nItemType=2\r\n"
      "[OTPOption1_Item0]\r\n" +
      item + "[OTPOption2_Item0]\r\n" + item + "[OTPOption3_Item0]\r\n" + item +
      "[OTPOption3_Item1]\r\nItemType=2\r\nItem0_Val=16\r\n");
  ASSERT_TRUE(model);
  ASSERT_EQ(model->rows().size(), 1u);  // only word 3's item
  ASSERT_TRUE(model->choose(0, 0));
  model->accept(image);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(image.optionWord(i), 0x3FFF) << i;
  EXPECT_EQ(image.optionWord(15), 0x3FFE);

  const IniSnapshot ini(chipDefinitionPath(dir.dir(), kChinese, "CHIP"));
  EXPECT_EQ(readOptionEditorDefinition(ini).skipped, 5);
}

TEST_F(OptionEditorTest, LongListsAreShownWholeAndDamagedCountsRefused) {
  std::string text =
      "[OTPOption]\r\nOptionWords=2\r\nOptAddr0=0x2000\r\nOptItems0=40\r\nOptAddr1=0x2001\r\nOptItems1=30\r\n";
  for (int w = 0; w < 2; ++w) {
    for (int j = 0; j < (w == 0 ? 40 : 30); ++j) {
      text += "[OTPOption" + std::to_string(w) + "_Item" + std::to_string(j) + "]\r\nBitStart=15\r\nItemCount=100\r\n";
      for (int m = 0; m < 100; ++m) text += "Item" + std::to_string(m) + "_Val=" + std::to_string(m) + "\r\n";
    }
  }
  image.setOptionWord(1, 77);
  auto model = open(text + kPackages);
  ASSERT_TRUE(model);
  ASSERT_EQ(model->rows().size(), 71u);
  EXPECT_EQ(model->rows()[69].entries.size(), 100u);
  EXPECT_EQ(model->rows()[69].selected, 77u);
  ASSERT_TRUE(model->choose(69, 99));
  model->accept(image);
  EXPECT_EQ(image.optionWord(1), 99);
  EXPECT_TRUE(reporter.alerts.empty());

  image.openShort.setPins(5);
  EXPECT_FALSE(
      open("[OTPOption]\r\nOptionWords=1\r\nOptAddr0=0x2000\r\nOptItems0=1\r\n"
           "[OTPOption0_Item0]\r\nItemCount=2000000000\r\n[Package]\r\nOpenShortPINS=9\r\n"));
  ASSERT_EQ(reporter.alerts.size(), 1u);
  EXPECT_NE(reporter.alerts[0].find("ItemCount = 2000000000"), std::string::npos);
  EXPECT_EQ(image.openShort.pins(), 5);  // a refused editor changes nothing
  EXPECT_FALSE(
      open("[OTPOption]\r\nOptionWords=1\r\nOptAddr0=0x2000\r\nOptItems0=1\r\n"
           "[OTPOption0_Item0]\r\nItemType=1\r\nBitCount=5000\r\n"));
  EXPECT_FALSE(open("[Package]\r\nPackageCount=1025\r\n"));
  EXPECT_FALSE(open("[OTPOption]\r\nOptionWords=1\r\nOptItems0=65\r\n"));
  EXPECT_EQ(reporter.alerts.size(), 4u);
  EXPECT_NE(reporter.alerts[3].find("OptItems0"), std::string::npos);

  EXPECT_FALSE(
      openOptionEditor(chipDefinitionPath(dir.dir(), kChinese, "NONE"), "NONE", image, 0x3FFF, kChinese, reporter));
  EXPECT_EQ(reporter.alerts.back(), "当前软件不支持此芯片型号：NONE");
  EXPECT_EQ(image.openShort.pins(), 5);
}

TEST(OptionEditorShippedChip, OpensWithTheLoadedDefaultsAndOkKeepsThem) {
  for (LanguageId language : {kChinese, kEnglish}) {
    ChipInfo info;
    ProgramImage image;
    RecordingReporter reporter;
    const ChipContext ctx{testing::shippedDataDir(), language, "QD46K300T1", false};
    ASSERT_TRUE(LoadChipDefinition(ctx, true, info, image, reporter));
    const ProgramImage loaded = image;
    auto model = openOptionEditor(chipDefinitionPath(ctx.programDir, language, ctx.model), ctx.model, image,
                                  blankWordFor(info.bitWidth), language, reporter);
    ASSERT_TRUE(model);
    ASSERT_EQ(model->rows().size(), 11u);  // 6 + 3 + 1 items, the package row; rule and calibration hidden
    const std::vector<std::size_t> expected = {0, 1, 0, 0, 1, 1, 1, 0, 0, 3, 0};
    for (std::size_t r = 0; r < expected.size(); ++r) EXPECT_EQ(model->rows()[r].selected, expected[r]) << r;
    EXPECT_EQ(model->rows()[10].entries.size(), 3u);
    EXPECT_FALSE(model->packageWarning());
    model->accept(image);
    EXPECT_TRUE(image == loaded);

    // Oscillator: external clock; the rule then copies word 0's bits 11..8 inverted.
    ASSERT_TRUE(model->choose(0, 3));
    ASSERT_TRUE(model->choose(5, 7));  // brown-out 4.2V: bits 10..8 = 111
    ASSERT_TRUE(model->choose(10, 2));
    model->accept(image);
    EXPECT_EQ(image.optionWord(0), 0x3F4F);
    EXPECT_EQ(image.optionWord(1) & 0x000F, 0x0);
    EXPECT_EQ(image.openShort.bytes[9], 0x01);
  }
}

}  // namespace
}  // namespace kt90
