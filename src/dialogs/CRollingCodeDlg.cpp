#include "dialogs/CRollingCodeDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/editors/HexEntry.h"
#include "core/text/Format.h"

namespace kt90 {

CRollingCodeDlg::CRollingCodeDlg(RollingCodeEditorModel& model, LanguageId language, QWidget* parent)
    : QDialog(parent),
      model_(model),
      language_(language),
      enable_(new QCheckBox(qtText(TextId::RollingEnable, language), this)),
      length_(new QComboBox(this)),
      step_(makeHexEdit(2)),
      movlw_(new QRadioButton(qtText(TextId::RollingMovlw, language), this)),
      retlw_(new QRadioButton(qtText(TextId::RollingRetlw, language), this)) {
  setWindowTitle(qtText(TextId::RollingTitle, language));
  const RollingCodeState& state = model_.state();
  const int columns = model_.maxLength();

  enable_->setChecked(state.enabled);
  length_->setFont(entryFont());
  for (int n = 1; n <= columns; ++n) length_->addItem(QString::number(n));
  auto* kinds = new QButtonGroup(this);
  kinds->addButton(movlw_);
  kinds->addButton(retlw_);
  movlw_->setChecked(model_.movlwChecked());
  retlw_->setChecked(model_.retlwChecked());

  auto* grid = new QGridLayout();
  grid->addWidget(new QLabel(qtText(TextId::RollingAddress, language), this), 1, 0);
  grid->addWidget(new QLabel(qtText(TextId::RollingData, language), this), 2, 0);
  for (int i = 0; i < columns; ++i) {
    const std::size_t c = static_cast<std::size_t>(i);
    address_[c] = makeHexEdit(4);
    data_[c] = makeHexEdit(2);
    const int gridColumn = columns - i;  // BYTE0 is the rightmost column
    auto* title = new QLabel(qtString(formatText(text(TextId::RollingColumn, language), i)), this);
    title->setAlignment(Qt::AlignCenter);
    grid->addWidget(title, 0, gridColumn);
    grid->addWidget(address_[c], 1, gridColumn);
    grid->addWidget(data_[c], 2, gridColumn);
  }

  auto* top = new QHBoxLayout();
  top->addWidget(enable_);
  top->addWidget(new QLabel(qtText(TextId::RollingLength, language), this));
  top->addWidget(length_);
  top->addWidget(new QLabel(qtText(TextId::RollingStep, language), this));
  top->addWidget(step_);
  top->addWidget(movlw_);
  top->addWidget(retlw_);
  top->addStretch();

  auto* buttons = okCancelButtons(this, language);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(grid);
  layout->addWidget(buttons);

  length_->setCurrentIndex(state.length - 1);
  step_->setText(qtString(formatText("%02X", static_cast<unsigned>(state.step))));
  refresh();
  connect(enable_, &QCheckBox::clicked, this, [this] { refresh(); });
  connect(length_, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
}

QLineEdit* CRollingCodeDlg::makeHexEdit(int maxChars) {
  auto* edit = new QLineEdit(this);
  edit->setFont(entryFont());
  edit->setMaxLength(maxChars);
  edit->setAlignment(Qt::AlignCenter);
  edit->setMaximumWidth(QFontMetrics(edit->font()).horizontalAdvance(QString(maxChars + 3, QLatin1Char('W'))));
  connect(edit, &QLineEdit::textChanged, this, [edit](const QString& typed) {
    const QString filtered = qtString(filterHexDigits(typed.toStdString()));
    if (filtered == typed) return;
    edit->setText(filtered);
    edit->setFocus();
    edit->setCursorPosition(static_cast<int>(filtered.size()));
  });
  return edit;
}

void CRollingCodeDlg::refresh() {
  const RollingCodeView view = model_.view(enable_->isChecked(), length_->currentIndex() + 1);
  for (QWidget* w : {static_cast<QWidget*>(movlw_), static_cast<QWidget*>(retlw_), static_cast<QWidget*>(length_),
                     static_cast<QWidget*>(step_)}) {
    w->setEnabled(view.settingsEnabled);
  }
  for (int i = 0; i < model_.maxLength(); ++i) {
    const std::size_t c = static_cast<std::size_t>(i);
    address_[c]->setEnabled(view.columns[c].enabled);
    data_[c]->setEnabled(view.columns[c].enabled);
    address_[c]->setText(qtString(view.columns[c].address));
    data_[c]->setText(qtString(view.columns[c].data));
  }
}

void CRollingCodeDlg::accept() {
  RollingCodeEntry entry;
  entry.enabled = enable_->isChecked();
  entry.length = length_->currentIndex() + 1;
  entry.retlwChecked = retlw_->isChecked();
  entry.step = step_->text().toStdString();
  for (int i = 0; i < model_.maxLength(); ++i) {
    const std::size_t c = static_cast<std::size_t>(i);
    entry.address[c] = address_[c]->text().toStdString();
    entry.data[c] = data_[c]->text().toStdString();
  }
  if (const auto refused = model_.accept(entry, language_)) {
    alert_(this, windowTitle(), qtString(*refused));
    return;
  }
  QDialog::accept();
}

}  // namespace kt90
