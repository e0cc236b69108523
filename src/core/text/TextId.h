#pragma once

namespace kt90 {

// Every user-visible text of the system has an id here. The texts themselves live in the
// tables/*.inc fragments, one per area, as KT90_TEXT(Id, number, english, chinese) lines;
// `number` is the text's number in the message numbering the log and the user guide use,
// or 0 for texts without one.
enum class TextId : int {
#define KT90_TEXT(id, number, en, zh) id,
#include "core/text/tables/all.inc"
#undef KT90_TEXT
  Count
};

}  // namespace kt90
