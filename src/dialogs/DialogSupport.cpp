#include "dialogs/DialogSupport.h"

#include <QMessageBox>

namespace kt90 {

AlertSink informationBoxSink() {
  return [](QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox::information(owner, caption, text, QMessageBox::Ok);
  };
}

QFont optionListFont() {
  QFont font(QStringLiteral("Times New Roman"));
  font.setPointSize(12);
  return font;
}

QFont entryFont() {
  QFont font(QStringLiteral("Consolas"));
  font.setStyleHint(QFont::Monospace);
  font.setPointSize(11);
  return font;
}

}  // namespace kt90
