#pragma once
#include <QDialog>

#include "core/text/Language.h"

namespace kt90::gui {

// The About box: icon, product and version, and in English a notice line. No buttons:
// closed with its close box or Escape.
class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  CAboutDlg(LanguageId language, const QString& productLine, QWidget* parent = nullptr);
};

}  // namespace kt90::gui
