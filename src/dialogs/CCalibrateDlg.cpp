#include "dialogs/CCalibrateDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/DialogSupport.h"

namespace kt90 {

CCalibrateDlg::CCalibrateDlg(CalibrationEditorModel& model, LanguageId language, QWidget* parent)
    : QDialog(parent), model_(model) {
  setWindowTitle(qtText(TextId::CalibrationTitle, language));
  auto* grid = new QGridLayout();
  for (std::size_t k = 0; k < rows_.size(); ++k) {
    const CalibrationEditorModel::Row& row = model_.rows()[k];
    RowControls& controls = rows_[k];
    controls.enable = new QCheckBox(this);
    controls.at5V = new QRadioButton(qtText(TextId::Calibration5V, language), this);
    controls.at3V = new QRadioButton(qtText(TextId::Calibration3V, language), this);
    auto* pair = new QButtonGroup(this);  // each row's two buttons form one group
    pair->addButton(controls.at5V);
    pair->addButton(controls.at3V);
    if (row.shown) {
      controls.enable->setText(qtString(row.name));
      controls.enable->setChecked(row.enabled);
      controls.at5V->setChecked(!row.at3V);
      controls.at3V->setChecked(row.at3V);
    }
    for (QWidget* w : {static_cast<QWidget*>(controls.enable), static_cast<QWidget*>(controls.at5V),
                       static_cast<QWidget*>(controls.at3V)}) {
      w->setEnabled(row.editable);
    }
    const int line = static_cast<int>(k);
    grid->addWidget(controls.enable, line, 0);
    grid->addWidget(controls.at5V, line, 1);
    grid->addWidget(controls.at3V, line, 2);
  }
  grid->setColumnMinimumWidth(0, 140);

  auto* buttons = okCancelButtons(this, language);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
}

void CCalibrateDlg::accept() {
  for (std::size_t k = 0; k < rows_.size(); ++k) {
    model_.setEnabled(k, rows_[k].enable->isChecked());
    model_.setAt3V(k, rows_[k].at3V->isChecked());
  }
  QDialog::accept();
}

}  // namespace kt90
