#pragma once
#include <QDialog>
#include <vector>

#include "core/editors/OptionEditorModel.h"
#include "dialogs/CCustomComboBox.h"
#include "dialogs/DialogSupport.h"

class QTableWidget;

namespace kt90 {

// The OPTION editor: a two-column list, item names on the left and one selector per row
// laid over the right column. The selectors are cell widgets of the list, so they follow
// scrolling and column resizing. OK hands the choices to the model.
class COptionDlg : public QDialog {
 public:
  COptionDlg(OptionEditorModel& model, LanguageId language, QWidget* parent = nullptr);

  QTableWidget* list() const { return list_; }
  CCustomComboBox* selector(int row) const { return selectors_.at(static_cast<std::size_t>(row)); }
  void setAlertSink(AlertSink sink) { alert_ = std::move(sink); }

  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  OptionEditorModel& model_;
  LanguageId language_;
  QTableWidget* list_;
  std::vector<CCustomComboBox*> selectors_;
  AlertSink alert_ = informationBoxSink();
  bool warned_ = false;
};

}  // namespace kt90
