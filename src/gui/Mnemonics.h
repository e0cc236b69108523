#pragma once
#include <QSet>
#include <QString>

namespace kt90::gui {

// Keyboard mnemonics of one group of texts (the menu bar with the window's controls, or
// the items of one menu): each text gets the first letter no other text of the group has,
// a word's first letter before any other. "&&" stays a literal ampersand.
class Mnemonics {
 public:
  // `text` with "&" before its letter; unchanged when every letter is taken.
  QString mark(const QString& text);

 private:
  QSet<QChar> taken_;
};

}  // namespace kt90::gui
