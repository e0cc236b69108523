#include <gtest/gtest.h>

#include "core/base/Encoding.h"

namespace kt90 {
namespace {

// Bytes of a file echoed into output: the result is always valid UTF-8, good text is kept.
TEST(EscapeInvalidUtf8, EscapesOnlyBytesOutsideWellFormedSequences) {
  struct Case {
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {"", ""},
      {"plain :10000000", "plain :10000000"},
      {"\xE4\xBD\x8D\xE5\xAE\xBD 14", "\xE4\xBD\x8D\xE5\xAE\xBD 14"},  // UTF-8 Chinese kept
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},                        // four-byte sequence kept
      {"a\xFF\xFE"
       "b",
       "a\\xFF\\xFEb"},
      {"\xC3(", "\\xC3("},                           // lead byte without its continuation
      {"\xE4\xBD", "\\xE4\\xBD"},                    // sequence cut by the end of the text
      {"\x80x", "\\x80x"},                           // lone continuation byte
      {"\xC0\xAF", "\\xC0\\xAF"},                    // overlong "/"
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},           // UTF-16 surrogate
      {"\xC5\xF9\xB3\xCC", "\\xC5\\xF9\\xB3\\xCC"},  // GB2312 bytes read as UTF-8
  };
  for (const Case& c : cases) {
    const std::string escaped = escapeInvalidUtf8(c.input);
    EXPECT_EQ(escaped, c.expected) << c.input;
    EXPECT_TRUE(isValidUtf8(escaped)) << c.input;
  }
}

}  // namespace
}  // namespace kt90
