#include "gui/Mnemonics.h"

namespace kt90::gui {
namespace {

bool isLetter(QChar c) { return c.isLetter() && c.unicode() < 0x80; }

}  // namespace

QString Mnemonics::mark(const QString& text) {
  // Word starts (after a space or at the beginning), then any letter.
  for (const bool wordStartsOnly : {true, false}) {
    for (int i = 0; i < text.size(); ++i) {
      if (!isLetter(text[i])) continue;
      if (wordStartsOnly && i > 0 && text[i - 1] != ' ') continue;
      const QChar key = text[i].toUpper();
      if (taken_.contains(key)) continue;
      taken_.insert(key);
      QString marked = text;
      marked.insert(i, '&');
      return marked;
    }
  }
  return text;
}

}  // namespace kt90::gui
