#include "dialogs/DialogSupport.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>

namespace kt90 {

AlertSink informationBoxSink() {
  return [](QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox::information(owner, caption, text, QMessageBox::Ok);
  };
}

QFont optionListFont() {
  // The family of every other text of the program, a little larger for the grid.
  QFont font = QApplication::font();
  font.setPointSize(font.pointSize() + 1);
  return font;
}

QFont entryFont() {
  QFont font(QStringLiteral("Consolas"));
  font.setStyleHint(QFont::Monospace);
  font.setPointSize(11);
  return font;
}

QDialogButtonBox* okCancelButtons(QDialog* dialog, LanguageId language) {
  auto* buttons = new QDialogButtonBox(dialog);
  buttons->addButton(qtText(TextId::EditorOk, language), QDialogButtonBox::AcceptRole);
  buttons->addButton(qtText(TextId::EditorCancel, language), QDialogButtonBox::RejectRole);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace kt90
