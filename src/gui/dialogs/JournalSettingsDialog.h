#pragma once
#include <QDialog>

#include "core/text/Language.h"

class QLineEdit;

namespace kt90::gui {

// Where the window's journal lives (a file or a server's URI; empty for the default file)
// and the station name its records carry (empty for the computer's name).
class JournalSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  JournalSettingsDialog(const QString& location, const QString& station, LanguageId language,
                        QWidget* parent = nullptr);

  QString location() const;
  QString station() const;

 private:
  QLineEdit* location_ = nullptr;
  QLineEdit* station_ = nullptr;
};

}  // namespace kt90::gui
