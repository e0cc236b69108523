#pragma once
#include <QDialog>
#include <string>
#include <vector>

#include "core/journal/JournalRecord.h"
#include "core/text/Language.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QTableWidget;

namespace kt90::gui {

// The production journal's newest records, filtered by result, port and date (UTC days),
// with the filtered records exported to CSV through the file dialog.
class JournalView : public QDialog {
  Q_OBJECT
 public:
  static constexpr std::size_t kShownRecords = 500;

  JournalView(std::string path, LanguageId language, QWidget* parent = nullptr);

  // Reads the journal again with the filters of the moment.
  void refresh();

 private:
  JournalFilter filter(std::size_t limit) const;
  void fillPorts(const std::vector<JournalRecord>& records);
  void exportCsv();

  std::string path_;
  LanguageId language_;
  QComboBox* result_ = nullptr;
  QComboBox* port_ = nullptr;
  QDateEdit* since_ = nullptr;
  QDateEdit* until_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace kt90::gui
