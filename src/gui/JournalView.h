#pragma once
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "core/journal/JournalStore.h"
#include "core/text/Language.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QTableWidget;

namespace kt90::gui {

// The production journal's newest records, filtered by result, port and date (UTC days),
// with the filtered records exported to CSV through the file dialog. A double-click on a
// record shows its whole log.
class JournalView : public QDialog {
  Q_OBJECT
 public:
  static constexpr std::size_t kShownRecords = 500;

  JournalView(const std::string& location, LanguageId language, QWidget* parent = nullptr);

  // Reads the journal again with the filters of the moment.
  void refresh();
  // Writes the filtered records as CSV to `file` (".csv" added to a name without a
  // suffix). The file written, or empty after a failure the status line names.
  QString exportTo(QString file);
  // The whole record of the table's row `row`, as the double-click shows it.
  QString recordText(int row) const;

 private:
  JournalFilter filter(std::size_t limit) const;
  void fillPorts(const std::vector<JournalRecord>& records);
  void exportCsv();
  void showRecord(int row);

  std::string location_;
  std::unique_ptr<JournalStore> journal_;
  std::string openError_;
  LanguageId language_;
  std::vector<JournalRecord> shown_;
  QComboBox* result_ = nullptr;
  QComboBox* port_ = nullptr;
  QDateEdit* since_ = nullptr;
  QDateEdit* until_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace kt90::gui
