#include "gui/dialogs/CGetEditTxtDlg.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/progfile/ProtectionInput.h"
#include "gui/GuiText.h"

namespace kt90::gui {

CGetEditTxtDlg::CGetEditTxtDlg(const Host::EntryRequest& request, LanguageId language, QWidget* parent)
    : QDialog(parent), hexadecimal_(request.hexadecimal), maxChars_(request.maxChars) {
  setWindowTitle(qstr(request.prompt));
  setMinimumWidth(420);

  field_ = new QLineEdit(this);
  field_->setObjectName("entryField");
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(10);
  field_->setFont(font);
  // No length limit on the field itself: a pasted text is filtered whole, then cut.
  field_->setText(qstr(filterEntryText(request.initial, hexadecimal_ ? EntryMode::Hexadecimal : EntryMode::Decimal,
                                       static_cast<std::size_t>(maxChars_))));
  connect(field_, &QLineEdit::textChanged, this, &CGetEditTxtDlg::filter);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(qtext(TextId::ButtonOk, language));
  buttons->button(QDialogButtonBox::Cancel)->setText(qtext(TextId::ButtonCancel, language));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  // The prompt inside as well: a window manager may cut a long title.
  auto* prompt = new QLabel(qstr(request.prompt), this);
  prompt->setObjectName("entryPrompt");
  prompt->setWordWrap(true);
  prompt->setBuddy(field_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  layout->addWidget(field_);
  layout->addWidget(buttons);
  field_->setFocus();
}

QString CGetEditTxtDlg::text() const { return field_->text(); }

void CGetEditTxtDlg::filter() {
  const std::string typed = stdstr(field_->text());
  const std::string kept = filterEntryText(typed, hexadecimal_ ? EntryMode::Hexadecimal : EntryMode::Decimal,
                                           static_cast<std::size_t>(maxChars_));
  if (kept == typed) return;
  const QSignalBlocker blocker(field_);
  field_->setText(qstr(kept));
  field_->setFocus();
  field_->setCursorPosition(field_->text().size());
}

}  // namespace kt90::gui
