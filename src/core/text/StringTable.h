#pragma once
#include <optional>
#include <span>

#include "core/text/Language.h"
#include "core/text/TextId.h"

namespace kt90 {

struct TextEntry {
  TextId id;
  int number;  // message number, 0 when the text has none
  const char* english;
  const char* chinese;
};

// The whole table, in id order.
std::span<const TextEntry> allTexts();

// The text of `id` in `language` (UTF-8). Never null.
const char* text(TextId id, LanguageId language);

// The id of the numbered message `number`, if the table has one.
std::optional<TextId> textIdByNumber(int number);

}  // namespace kt90
