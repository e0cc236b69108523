#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kt90 {

// A parsed INI text with the reading rules of the Windows private-profile functions:
// "[section]" headers, "key=value" lines, section and key names compared without regard
// to ASCII case, the first of duplicate sections and keys wins, lines starting with ';'
// are comments, blanks around names and values are dropped, and a value enclosed in a
// pair of matching quotes loses them. Names are indexed, so reading a file and looking a
// key up both take time linear in the text and the name.
class IniDocument {
 public:
  IniDocument() = default;
  explicit IniDocument(std::string_view utf8Text);

  std::optional<std::string> value(std::string_view section, std::string_view key) const;

 private:
  // Both maps are keyed by the name in ASCII lower case.
  using Section = std::unordered_map<std::string, std::string>;
  std::unordered_map<std::string, Section> sections_;
};

// The integer rule of GetPrivateProfileInt as this program applies it: leading blanks are
// skipped, an optional sign, then "0x"/"0X" and hexadecimal digits or decimal digits; the
// number ends at the first other character (trailing junk is ignored); no digits give 0;
// the value wraps to 32 bits.
std::int32_t parseProfileInt(std::string_view text);

}  // namespace kt90
