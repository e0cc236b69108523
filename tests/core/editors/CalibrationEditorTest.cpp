#include <gtest/gtest.h>

#include "core/chip/ChipDefinition.h"
#include "core/chip/ChipTestSupport.h"
#include "core/editors/CalibrationEditorModel.h"

namespace kt90 {
namespace {

using Entries = std::array<CalibrateInfo, CaliBrate::kMaxEntries>;

CalibrateInfo entry(const std::string& name, bool offered) {
  CalibrateInfo e;
  e.name = name;
  e.offered = offered;
  return e;
}

TEST(CalibrationEditor, RowsFollowEntryIndexAndOnlyKnownOfferedNamesShow) {
  Entries entries;
  entries[0] = entry("IRC校准", true);
  entries[1] = entry("2.4M校准", true);
  const CaliBrate header{2, 0x01, 0x00, 0x02};
  CalibrationEditorModel model(header, entries);
  const auto& rows = model.rows();
  EXPECT_TRUE(rows[0].shown);
  EXPECT_FALSE(rows[0].editable);
  EXPECT_EQ(rows[0].name, "IRC校准");
  EXPECT_TRUE(rows[0].enabled);
  EXPECT_FALSE(rows[0].at3V);
  EXPECT_TRUE(rows[1].shown);
  EXPECT_TRUE(rows[1].editable);
  EXPECT_FALSE(rows[1].enabled);
  EXPECT_TRUE(rows[1].at3V);
  for (std::size_t k = 2; k < rows.size(); ++k) EXPECT_FALSE(rows[k].shown || rows[k].editable) << k;

  EXPECT_FALSE(model.setEnabled(0, false));  // IRC shows its state only
  EXPECT_FALSE(model.setAt3V(2, true));
  EXPECT_FALSE(model.setEnabled(8, true));
  ASSERT_TRUE(model.setEnabled(1, true));
  ASSERT_TRUE(model.setAt3V(1, false));
  CaliBrate result = header;
  model.accept(result);
  EXPECT_EQ(result.enableBits, 0x03);
  EXPECT_EQ(result.voltageBits, 0x00);
  EXPECT_EQ(result.count, 2);
  EXPECT_EQ(result.typeLowBits, 0x00);
}

TEST(CalibrationEditor, OkKeepsTheBitsOfEntriesItDoesNotShow) {
  Entries entries;
  entries[0] = entry("IRC校准", true);
  entries[1] = entry("3.0M校准", false);  // not offered
  entries[2] = entry("32K校准", true);    // offered, but a name the dialog does not know
  entries[3] = entry("3.3M校准", true);
  const CaliBrate header{4, 0x07, 0x00, 0x06};
  CalibrationEditorModel model(header, entries);
  EXPECT_FALSE(model.rows()[1].shown);
  EXPECT_FALSE(model.rows()[2].shown);
  EXPECT_FALSE(model.setEnabled(2, false));
  ASSERT_TRUE(model.setEnabled(3, true));
  ASSERT_TRUE(model.setAt3V(3, true));

  CaliBrate result = header;
  model.accept(result);
  EXPECT_EQ(result.enableBits, 0x0F);
  EXPECT_EQ(result.voltageBits, 0x0E);

  // Bits past the count, and a count beyond the table, are never touched or overrun.
  CaliBrate damaged{200, 0xF0, 0, 0xF0};
  Entries offered;
  for (auto& e : offered) e = entry("1.7M校准", true);
  CalibrationEditorModel wide(damaged, offered);
  for (std::size_t k = 0; k < 8; ++k) ASSERT_TRUE(wide.setEnabled(k, k % 2 == 0));
  wide.accept(damaged);
  EXPECT_EQ(damaged.enableBits, 0x55);
  EXPECT_EQ(damaged.voltageBits, 0xF0);
}

TEST(CalibrationEditor, ShippedChipAfterReset) {
  ChipInfo info;
  ProgramImage image;
  RecordingReporter reporter;
  ASSERT_TRUE(
      LoadChipDefinition({testing::shippedDataDir(), kChinese, "QD46K300T1", false}, true, info, image, reporter));
  CalibrationEditorModel model(image.calibration, image.calibrationEntries);
  const auto& rows = model.rows();
  const bool shown[] = {true, true, true, false, true, false, false, false};
  const bool editable[] = {false, true, true, false, true, false, false, false};
  for (std::size_t k = 0; k < 8; ++k) {
    EXPECT_EQ(rows[k].shown, shown[k]) << k;
    EXPECT_EQ(rows[k].editable, editable[k]) << k;
  }
  EXPECT_TRUE(rows[0].enabled);
  EXPECT_TRUE(rows[1].at3V);
  EXPECT_FALSE(rows[2].at3V);
  EXPECT_EQ(rows[4].name, "3.3M校准");

  const CaliBrate before = image.calibration;
  model.accept(image.calibration);
  EXPECT_EQ(image.calibration, before);  // OK without changes keeps every bit, 32K校准's too
  ASSERT_TRUE(model.setEnabled(2, false));
  model.accept(image.calibration);
  EXPECT_EQ(image.calibration.enableBits, before.enableBits & ~0x04);
}

}  // namespace
}  // namespace kt90
