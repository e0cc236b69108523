// The generated GB18030 table against glibc's iconv, the converter it replaced: for every
// sequence of bytes that may form a character and every code point, both agree.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <random>

#include "core/base/Gb18030.h"
#include "core/base/Gb18030Table.h"
#include "core/base/Utf8.h"

namespace kt90 {
namespace {

// iconv with the converter's rules: a byte that cannot be converted becomes `replacement`.
class IconvReference {
 public:
  IconvReference(const char* to, const char* from, std::string replacement)
      : cd_(iconv_open(to, from)), replacement_(std::move(replacement)) {}
  ~IconvReference() { iconv_close(cd_); }

  std::string operator()(std::string_view input) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    replaced = 0;
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t result = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
        out += replacement_;
        ++replaced;
        ++in;
        --inLeft;
      }
    }
    return out;
  }

  std::size_t replaced = 0;  // by the last call

 private:
  iconv_t cd_;
  std::string replacement_;
};

TEST(Gb18030Table, DecodesEverySequenceAsIconv) {
  IconvReference reference("UTF-8", "GB18030", "\xEF\xBF\xBD");
  std::size_t checked = 0;
  const auto check = [&](const std::string& bytes) {
    ASSERT_EQ(gb18030ToUtf8(bytes), reference(bytes)) << testing::PrintToString(bytes);
    ++checked;
  };
  for (unsigned b = 0; b < 0x100; ++b) check(std::string(1, static_cast<char>(b)));
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0; trail < 0x100; ++trail) check({static_cast<char>(lead), static_cast<char>(trail)});
  }
  for (std::uint32_t linear = 0; linear < gb18030::fourByteLinear(0xFE, 0x39, 0xFE, 0x39) + 1; ++linear)
    check(gb18030::fourByteSequence(linear));
  EXPECT_EQ(checked, 256u + 126u * 256u + 126u * 10u * 126u * 10u);
}

TEST(Gb18030Table, EncodesEveryCodePointAsIconv) {
  IconvReference reference("GB18030", "UTF-8", "?");
  for (std::uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    std::string utf8;
    appendUtf8(utf8, cp);
    ASSERT_EQ(utf8ToGb18030(utf8), reference(utf8)) << "U+" << std::hex << cp;
  }
}

// Cut, mixed and broken sequences: the same replacements and the same verdict.
TEST(Gb18030Table, ReplacesBrokenInputAsIconv) {
  IconvReference decode("UTF-8", "GB18030", "\xEF\xBF\xBD");
  IconvReference encode("GB18030", "UTF-8", "?");
  std::mt19937 random(18030);
  const char pieces[] = {'\x81', '\x30', '\xFE', '\x39', '\x7F', '\x40', '\x90', '\xE3', '\x84', '\xA4',
                         '\x80', '\xFF', 'a',    '\0',   '\xC4', '\xE4', '\xBD', '\xA0', '\xED', '\xF0'};
  for (int round = 0; round < 20000; ++round) {
    std::string bytes(random() % 12, '\0');
    for (char& c : bytes) c = random() % 2 ? pieces[random() % sizeof pieces] : static_cast<char>(random());
    ASSERT_EQ(gb18030ToUtf8(bytes), decode(bytes)) << testing::PrintToString(bytes);
    ASSERT_EQ(isValidGb18030(bytes), decode.replaced == 0) << testing::PrintToString(bytes);
    ASSERT_EQ(utf8ToGb18030(bytes), encode(bytes)) << testing::PrintToString(bytes);
  }
}

}  // namespace
}  // namespace kt90
