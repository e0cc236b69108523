#pragma once
#include <QDialog>
#include <array>

#include "core/editors/RollingCodeEditorModel.h"
#include "dialogs/DialogSupport.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace kt90 {

// The rolling-code editor: Enable, length, step, instruction kind, and one column of
// address and data per serial byte, BYTE0 rightmost. A refresh (Enable clicked, new
// length) shows the values held when the dialog opened.
class CRollingCodeDlg : public QDialog {
 public:
  CRollingCodeDlg(RollingCodeEditorModel& model, LanguageId language, QWidget* parent = nullptr);

  QCheckBox* enableBox() const { return enable_; }
  QComboBox* lengthList() const { return length_; }
  QLineEdit* stepEdit() const { return step_; }
  QRadioButton* movlwButton() const { return movlw_; }
  QRadioButton* retlwButton() const { return retlw_; }
  QLineEdit* addressEdit(int column) const { return address_.at(static_cast<std::size_t>(column)); }
  QLineEdit* dataEdit(int column) const { return data_.at(static_cast<std::size_t>(column)); }
  void setAlertSink(AlertSink sink) { alert_ = std::move(sink); }

  void accept() override;

 private:
  void refresh();
  QLineEdit* makeHexEdit(int maxChars);

  RollingCodeEditorModel& model_;
  LanguageId language_;
  QCheckBox* enable_;
  QComboBox* length_;
  QLineEdit* step_;
  QRadioButton* movlw_;
  QRadioButton* retlw_;
  std::array<QLineEdit*, kRollingMaxColumns> address_{};
  std::array<QLineEdit*, kRollingMaxColumns> data_{};
  AlertSink alert_ = informationBoxSink();
};

}  // namespace kt90
