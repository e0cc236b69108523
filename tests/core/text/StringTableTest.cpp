#include "core/text/StringTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/base/Encoding.h"
#include "core/text/Format.h"

namespace kt90 {
namespace {

TEST(StringTable, EveryTextHasBothLanguagesAndNumbersAreUnique) {
  std::set<int> numbers;
  int index = 0;
  for (const TextEntry& entry : allTexts()) {
    SCOPED_TRACE(index);
    EXPECT_EQ(static_cast<int>(entry.id), index++);
    ASSERT_NE(entry.english, nullptr);
    ASSERT_NE(entry.chinese, nullptr);
    EXPECT_STRNE(entry.english, "");
    EXPECT_STRNE(entry.chinese, "");
    EXPECT_TRUE(isValidUtf8(entry.english));
    EXPECT_TRUE(isValidUtf8(entry.chinese));
    if (entry.number != 0) {
      EXPECT_TRUE(numbers.insert(entry.number).second) << "number " << entry.number << " twice";
    }
  }
  EXPECT_EQ(index, static_cast<int>(TextId::Count));
}

TEST(StringTable, LookupByIdNumberAndLanguage) {
  EXPECT_STREQ(text(TextId::StatePassed, kEnglish), "Pass");
  EXPECT_STREQ(text(TextId::StatePassed, kChinese), "成功");
  EXPECT_STREQ(text(TextId::StatePassed, 1041), "Pass");  // other languages read the English texts
  EXPECT_EQ(textIdByNumber(81), TextId::SummaryProgramLimit);
  EXPECT_FALSE(textIdByNumber(0).has_value());
  EXPECT_FALSE(textIdByNumber(-3).has_value());
}

// Checksums and signatures read the same everywhere in text: "0x" and four digits.
TEST(StringTable, ChecksumTextsShowFourHexDigits) {
  const TextId ids[] = {TextId::SummaryCodeCrc,   TextId::SummaryChipSignature, TextId::SummaryFileChecksum,
                        TextId::ReadCodeChecksum, TextId::ReadChipSignature,    TextId::ReadFtSignature,
                        TextId::ReadCpSignature};
  for (const TextId id : ids) {
    for (const LanguageId language : {kEnglish, kChinese}) {
      const std::string line = formatText(text(id, language), 0xBEEFu);
      EXPECT_NE(line.find("0xBEEF"), std::string::npos) << line;
      EXPECT_EQ(line.find("0x00BEEF"), std::string::npos) << line;
    }
  }
}

TEST(Format, FormatsAndCutsAtUtf16Units) {
  EXPECT_EQ(formatText("OPTION[0x%04X]: 0x%04X\r\n", 0x2000, 0x3FFF), "OPTION[0x2000]: 0x3FFF\r\n");
  EXPECT_EQ(formatText("%s", std::string(5000, 'a').c_str()).size(), 5000u);
  EXPECT_EQ(cutToUtf16Units("abc", 2), "ab");
  EXPECT_EQ(cutToUtf16Units("芯片", 1), "芯");
  EXPECT_EQ(cutToUtf16Units("a\xF0\x9F\x98\x80", 2), "a");  // a surrogate pair is never split
  EXPECT_EQ(utf16Length("a芯\xF0\x9F\x98\x80"), 4u);
}

}  // namespace
}  // namespace kt90
