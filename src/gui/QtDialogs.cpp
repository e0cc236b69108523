#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "dialogs/Editors.h"
#include "gui/Dialogs.h"
#include "gui/GuiText.h"
#include "gui/dialogs/CAboutDlg.h"
#include "gui/dialogs/CGetEditTxtDlg.h"

namespace kt90::gui {

MessageAnswer QtDialogs::messageBox(QWidget* parent, const QString& text, MessageButtons buttons, LanguageId language) {
  QMessageBox box(parent);
  box.setWindowTitle(parent ? parent->window()->windowTitle() : QString());
  box.setText(text);
  if (buttons == MessageButtons::Ok) {
    box.setIcon(QMessageBox::Information);
    box.addButton(qtext(TextId::ButtonOk, language), QMessageBox::AcceptRole);
    box.exec();
    return MessageAnswer::Ok;
  }
  // The questions stop the whole program until answered.
  box.setIcon(QMessageBox::Question);
  box.setWindowModality(Qt::ApplicationModal);
  QPushButton* yes = box.addButton(qtext(TextId::ButtonYes, language), QMessageBox::YesRole);
  QPushButton* no = box.addButton(qtext(TextId::ButtonNo, language), QMessageBox::NoRole);
  // Escape and the close box answer Cancel where there is one, else No.
  QPushButton* cancel = buttons == MessageButtons::YesNoCancel
                            ? box.addButton(qtext(TextId::ButtonCancel, language), QMessageBox::RejectRole)
                            : nullptr;
  box.setDefaultButton(yes);
  box.setEscapeButton(cancel ? cancel : no);
  box.exec();
  if (box.clickedButton() == yes) return MessageAnswer::Yes;
  if (box.clickedButton() == no) return MessageAnswer::No;
  return cancel ? MessageAnswer::Cancel : MessageAnswer::No;
}

SaveChangesAnswer QtDialogs::askSaveChanges(QWidget* parent, LanguageId language) {
  QMessageBox box(parent);
  box.setWindowTitle(parent ? parent->window()->windowTitle() : QString());
  box.setText(qtext(TextId::UnsavedChangesQuestion, language));
  box.setIcon(QMessageBox::Warning);
  box.setWindowModality(Qt::ApplicationModal);
  QPushButton* save = box.addButton(qtext(TextId::ButtonSaveChanges, language), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(qtext(TextId::ButtonDiscardChanges, language), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(qtext(TextId::ButtonCancel, language), QMessageBox::RejectRole);
  box.setDefaultButton(save);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == save) return SaveChangesAnswer::Save;
  if (box.clickedButton() == discard) return SaveChangesAnswer::Discard;
  return SaveChangesAnswer::Cancel;
}

bool QtDialogs::editText(QWidget* parent, const Host::EntryRequest& request, LanguageId language, std::string& text) {
  CGetEditTxtDlg dialog(request, language, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  text = stdstr(dialog.text());
  return true;
}

QString QtDialogs::openFileName(QWidget* parent, LanguageId language) {
  return QFileDialog::getOpenFileName(parent, qtext(TextId::OpenFileTitle, language), QString(),
                                      qtext(TextId::OpenFileFilter, language));
}

std::optional<Dialogs::SaveChoice> QtDialogs::saveFileName(QWidget* parent, LanguageId language,
                                                           const QString& proposed) {
  const QString project = qtext(TextId::SaveFilterProject, language);
  const QString hex = qtext(TextId::SaveFilterHex, language);
  const QString bin = qtext(TextId::SaveFilterBin, language);
  QString chosenFilter = project;
  const QString path = QFileDialog::getSaveFileName(parent, qtext(TextId::SaveFileTitle, language), proposed,
                                                    project + ";;" + hex + ";;" + bin, &chosenFilter);
  if (path.isEmpty()) return std::nullopt;
  // The type is the chosen filter's, whatever the typed name ends with: the HEX filter
  // and "out.bin" save out.bin.hex.
  const SaveType type = chosenFilter == hex ? SaveType::Hex : chosenFilter == bin ? SaveType::Bin : SaveType::Project;
  return SaveChoice{path, type};
}

std::optional<QString> QtDialogs::portPath(QWidget* parent, LanguageId language) {
  bool ok = false;
  const QString path =
      QInputDialog::getText(parent, qtext(TextId::PortOtherItem, language), qtext(TextId::PortOtherPrompt, language),
                            QLineEdit::Normal, QString(), &ok)
          .trimmed();
  if (!ok || path.isEmpty()) return std::nullopt;
  return path;
}

bool QtDialogs::editOptions(QWidget* parent, WorkingState& state) { return kt90::editOptions(parent, state); }

bool QtDialogs::editRollingCode(QWidget* parent, WorkingState& state) { return kt90::editRollingCode(parent, state); }

bool QtDialogs::editCalibration(QWidget* parent, WorkingState& state) { return kt90::editCalibration(parent, state); }

bool QtDialogs::editUidBinding(QWidget* parent, WorkingState& state, std::optional<ProgrammerUid> connected) {
  return kt90::editUidBinding(parent, state, connected);
}

void QtDialogs::about(QWidget* parent, LanguageId language, const QString& productLine) {
  CAboutDlg dialog(language, productLine, parent);
  dialog.exec();
}

bool QtDialogs::openUrl(const QString& url) {
  const QUrl target = QUrl::fromUserInput(url);
  return QDesktopServices::openUrl(target);
}

}  // namespace kt90::gui
