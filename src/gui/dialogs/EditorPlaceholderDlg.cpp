#include "gui/dialogs/EditorPlaceholderDlg.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/GuiText.h"

namespace kt90::gui {

EditorPlaceholderDlg::EditorPlaceholderDlg(const QString& editor, const QStringList& details, LanguageId language,
                                           QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(editor);
  auto* layout = new QVBoxLayout(this);
  auto* note = new QLabel(QString::fromStdString(formatText(text(TextId::EditorNotAvailable, language),
                                                            editor.toStdString().c_str())),
                          this);
  note->setWordWrap(true);
  layout->addWidget(note);
  if (!details.isEmpty()) {
    auto* list = new QPlainTextEdit(details.join('\n'), this);
    list->setObjectName("placeholderDetails");
    list->setReadOnly(true);
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list->setMinimumSize(420, 200);
    layout->addWidget(list);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setText(qtext(TextId::ButtonOk, language));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

}  // namespace kt90::gui
