#pragma once
#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "core/editors/UidBindingEditor.h"
#include "dialogs/DialogSupport.h"

class QPushButton;
class QTableWidget;

namespace kt90 {

// The U_ID binding dialog: one centred column of at least 100 rows, each edited in place,
// with load/save of KT_ID.TXT in the program directory, Clear, OK and Cancel. OK leaves the
// new list in acceptedUids().
class CKtIdDlg : public QDialog {
 public:
  CKtIdDlg(UidBindingEditor& editor, std::string programDir, LanguageId language, QWidget* parent = nullptr);

  QTableWidget* list() const { return list_; }
  QPushButton* loadButton() const { return load_; }
  QPushButton* saveButton() const { return save_; }
  QPushButton* clearButton() const { return clear_; }
  void setAlertSink(AlertSink sink) { alert_ = std::move(sink); }
  const std::optional<std::vector<ProgrammerUid>>& acceptedUids() const { return result_; }

  void accept() override;

 private:
  void showRows();
  void takeRows();
  AlertReporter reporter();

  UidBindingEditor& editor_;
  std::string programDir_;
  QTableWidget* list_;
  QPushButton* load_;
  QPushButton* save_;
  QPushButton* clear_;
  AlertSink alert_ = informationBoxSink();
  std::optional<std::vector<ProgrammerUid>> result_;
};

}  // namespace kt90
