#pragma once
#include <QDialog>

#include "core/app/Host.h"
#include "core/text/Language.h"

class QLineEdit;

namespace kt90::gui {

// The one-line entry dialog: the prompt as its title, one field in a fixed-pitch font,
// OK and Cancel. Every change of the field, typed or pasted, passes the entry filter:
// upper case, only the digits of the mode, at most the given number of characters.
class CGetEditTxtDlg : public QDialog {
  Q_OBJECT
 public:
  CGetEditTxtDlg(const Host::EntryRequest& request, LanguageId language, QWidget* parent = nullptr);

  QString text() const;
  QLineEdit* field() const { return field_; }

 private:
  void filter();

  QLineEdit* field_ = nullptr;
  bool hexadecimal_ = true;
  int maxChars_ = 8;
};

}  // namespace kt90::gui
