#include <gtest/gtest.h>

#include "core/editors/HexEntry.h"
#include "core/editors/RollingCodeEditorModel.h"

namespace kt90 {
namespace {

RollingCodeEntry entryFor(const RollingCodeEditorModel& model, bool enabled, int length) {
  const RollingCodeView view = model.view(enabled, length);
  RollingCodeEntry entry;
  entry.enabled = enabled;
  entry.length = length;
  entry.retlwChecked = model.retlwChecked();
  entry.step = "01";
  for (std::size_t i = 0; i < kRollingMaxColumns; ++i) {
    entry.address[i] = view.columns[i].address;
    entry.data[i] = view.columns[i].data;
  }
  return entry;
}

TEST(RollingCodeEditor, WorkedExampleWritesTheFirstTenBytes) {
  FileHead head;
  RolCode record;
  record.reset();
  RollingCodeEditorModel model(head, record);
  EXPECT_FALSE(model.state().enabled);
  EXPECT_EQ(model.state().length, 1);
  EXPECT_EQ(model.state().step, 1);
  EXPECT_TRUE(model.retlwChecked());
  EXPECT_EQ(model.maxLength(), 4);

  RollingCodeEntry entry;
  entry.enabled = true;
  entry.length = 2;
  entry.retlwChecked = false;
  entry.step = "1";
  entry.data[0] = "34";
  entry.data[1] = "12";
  entry.address[0] = "0100";
  entry.address[1] = "101";
  ASSERT_FALSE(model.accept(entry, kChinese));
  model.writeBack(head, record);
  EXPECT_TRUE(head.flag(headflag::kRollingCode));
  const std::uint8_t expected[] = {0x01, 0x34, 0x04, 0x12, 0x04, 0x00, 0x01, 0x01, 0x01, 0x01};
  for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(record.bytes[i], expected[i]) << i;
  EXPECT_EQ(record.storedLength(), 10u);
}

TEST(RollingCodeEditor, OpeningReadsTheRecordAndRefreshShowsColumnsInUse) {
  FileHead head;
  head.setFlag(headflag::kRollingCode, true);
  RolCode record;
  // Length 3, flag 7 and bit 4 set; MOVLW; data 11 22 33; addresses 0x0A00.. ; step 5.
  record.bytes = {0x92, 0x11, 4, 0x22, 4, 0x33, 4, 0x00, 0x0A, 0x01, 0x0A, 0x02, 0x0A, 0x05};
  RollingCodeEditorModel model(head, record);
  const RollingCodeState& s = model.state();
  EXPECT_TRUE(s.enabled);
  EXPECT_TRUE(s.flag7);
  EXPECT_EQ(s.length, 3);
  EXPECT_EQ(s.step, 5);
  EXPECT_TRUE(model.movlwChecked());
  EXPECT_EQ(s.address[2], 0x0A02);
  EXPECT_EQ(s.data[1], 0x22);

  RollingCodeView view = model.view(true, 3);
  EXPECT_TRUE(view.settingsEnabled);
  EXPECT_EQ(view.columns[0].address, "0A00");
  EXPECT_EQ(view.columns[2].data, "33");
  EXPECT_FALSE(view.columns[3].enabled);
  EXPECT_EQ(view.columns[3].address, "");

  view = model.view(true, 1);  // only BYTE0 editable
  EXPECT_TRUE(view.columns[0].enabled);
  EXPECT_FALSE(view.columns[1].enabled);
  EXPECT_EQ(view.columns[1].data, "");
  view = model.view(false, 3);  // Enable off empties every column
  EXPECT_FALSE(view.settingsEnabled);
  for (const auto& column : view.columns) EXPECT_TRUE(!column.enabled && column.address.empty());

  // Shortened to 2: 10 meaningful bytes, the step moves from byte 13 to byte 9; bits 3-6
  // and flag 7 stay; the kind without a checked RETLW is MOVLW.
  RollingCodeEntry entry = entryFor(model, true, 2);
  entry.step = "05";
  entry.retlwChecked = false;
  ASSERT_FALSE(model.accept(entry, kChinese));
  model.writeBack(head, record);
  EXPECT_EQ(record.bytes[0], 0x91);
  EXPECT_EQ(record.bytes[9], 0x05);
  EXPECT_EQ(readU16(&record.bytes[5]), 0x0A00);
  EXPECT_EQ(readU16(&record.bytes[7]), 0x0A01);
  EXPECT_EQ(record.storedLength(), 10u);
}

TEST(RollingCodeEditor, DuplicateAddressesOfColumnsInUseBlockOk) {
  FileHead head;
  RolCode record;
  record.reset();
  RollingCodeEditorModel model(head, record);
  RollingCodeEntry entry;
  entry.enabled = true;
  entry.length = 3;
  entry.address = {"0010", "0020", "0010", "0020"};
  const auto message = model.accept(entry, kEnglish);
  ASSERT_TRUE(message);
  EXPECT_EQ(*message, "滚码地址0和滚码地址2相同，都是0x0010！");  // only the first pair
  EXPECT_EQ(model.state().length, 1);                             // nothing taken

  entry.length = 2;  // column 2 not in use: its address does not count
  EXPECT_FALSE(model.accept(entry, kEnglish));
  entry.enabled = false;  // no column in use
  entry.address = {"", "", "", ""};
  EXPECT_FALSE(model.accept(entry, kEnglish));
}

TEST(RollingCodeEditor, SwitchingOffKeepsTheBytesAndOddKindsBecomeMovlw) {
  FileHead head;
  head.setFlag(headflag::kRollingCode, true);
  RolCode record;
  record.bytes = {0x01, 0x34, 0x07, 0x12, 0x07, 0x00, 0x01, 0x01, 0x01, 0x03};
  RollingCodeEditorModel model(head, record);
  EXPECT_FALSE(model.movlwChecked() || model.retlwChecked());

  RollingCodeEntry entry = entryFor(model, false, 2);  // the dialog empties the columns
  entry.step = "03";
  ASSERT_FALSE(model.accept(entry, kChinese));
  model.writeBack(head, record);
  EXPECT_FALSE(head.flag(headflag::kRollingCode));
  const std::uint8_t expected[] = {0x01, 0x34, 0x04, 0x12, 0x04, 0x00, 0x01, 0x01, 0x01, 0x03};
  for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(record.bytes[i], expected[i]) << i;
}

TEST(RollingCodeEditor, LongRecordsFromFilesAreShownAndKeptWhole) {
  FileHead head;
  head.setFlag(headflag::kRollingCode, true);
  RolCode record;
  record.bytes[0] = 0x05;  // six serial bytes, 30 meaningful bytes
  for (int i = 0; i < 6; ++i) {
    record.bytes[1 + 2 * i] = static_cast<std::uint8_t>(0xA0 + i);
    record.bytes[2 + 2 * i] = 1;
    writeU16(&record.bytes[13 + 2 * i], static_cast<std::uint16_t>(0x300 + i));
  }
  record.bytes[25] = 0x02;
  const RolCode original = record;

  RollingCodeEditorModel model(head, record);
  EXPECT_EQ(model.maxLength(), 8);
  EXPECT_EQ(model.state().length, 6);
  EXPECT_EQ(model.state().step, 2);
  const RollingCodeView view = model.view(true, 6);
  EXPECT_EQ(view.columns[5].address, "0305");
  EXPECT_EQ(view.columns[5].data, "A5");
  EXPECT_FALSE(view.columns[6].enabled);

  RollingCodeEntry entry = entryFor(model, true, 6);
  entry.step = "02";
  ASSERT_FALSE(model.accept(entry, kChinese));
  model.writeBack(head, record);
  EXPECT_EQ(record.bytes, original.bytes);

  entry = entryFor(model, true, 8);  // lengthened to the full record
  entry.step = "02";
  entry.address[6] = "0306";
  entry.address[7] = "0307";
  ASSERT_FALSE(model.accept(entry, kChinese));
  model.writeBack(head, record);
  EXPECT_EQ(record.bytes[0], 0x07);
  EXPECT_EQ(record.bytes[33], 0x02);
  EXPECT_EQ(readU16(&record.bytes[31]), 0x0307);
  EXPECT_EQ(record.bytes[11], 0xA5);
}

TEST(HexEntry, FilterAndParse) {
  EXPECT_EQ(filterHexDigits("1g2"), "12");
  EXPECT_EQ(filterHexDigits("ab"), "AB");
  EXPECT_EQ(filterHexDigits("0x1F 中z"), "01F");
  EXPECT_EQ(parseHexDigits(""), 0u);
  EXPECT_EQ(parseHexDigits("0A0b"), 0x0A0Bu);
  EXPECT_EQ(static_cast<std::uint16_t>(parseHexDigits("123456")), 0x3456);
}

}  // namespace
}  // namespace kt90
