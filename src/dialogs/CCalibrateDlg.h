#pragma once
#include <QDialog>
#include <array>

#include "core/editors/CalibrationEditorModel.h"
#include "core/text/Language.h"

class QCheckBox;
class QRadioButton;

namespace kt90 {

// The calibration editor: one row per entry index with a check box and the "5V"/"3V"
// pair. Rows the model does not show stay empty and disabled.
class CCalibrateDlg : public QDialog {
 public:
  CCalibrateDlg(CalibrationEditorModel& model, LanguageId language, QWidget* parent = nullptr);

  QCheckBox* enableBox(int row) const { return rows_.at(static_cast<std::size_t>(row)).enable; }
  QRadioButton* button5V(int row) const { return rows_.at(static_cast<std::size_t>(row)).at5V; }
  QRadioButton* button3V(int row) const { return rows_.at(static_cast<std::size_t>(row)).at3V; }

  void accept() override;

 private:
  struct RowControls {
    QCheckBox* enable = nullptr;
    QRadioButton* at5V = nullptr;
    QRadioButton* at3V = nullptr;
  };
  CalibrationEditorModel& model_;
  std::array<RowControls, CaliBrate::kMaxEntries> rows_{};
};

}  // namespace kt90
