#include "core/text/StringTable.h"

#include <array>

namespace kt90 {
namespace {

constexpr std::array<TextEntry, static_cast<std::size_t>(TextId::Count)> kTable = {{
#define KT90_TEXT(id, number, en, zh) {TextId::id, number, en, zh},
#include "core/text/tables/all.inc"
#undef KT90_TEXT
}};

}  // namespace

std::span<const TextEntry> allTexts() { return kTable; }

const char* text(TextId id, LanguageId language) {
  const auto index = static_cast<std::size_t>(id);
  if (index >= kTable.size()) return "";
  const TextEntry& entry = kTable[index];
  return isChinese(language) ? entry.chinese : entry.english;
}

std::optional<TextId> textIdByNumber(int number) {
  if (number <= 0) return std::nullopt;
  for (const TextEntry& entry : kTable) {
    if (entry.number == number) return entry.id;
  }
  return std::nullopt;
}

}  // namespace kt90
