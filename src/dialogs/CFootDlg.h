#pragma once
#include <QDialog>

#include "core/text/Language.h"

class QLabel;

namespace kt90 {

// The pin-assignment picture: one fixed chart of the programmer's socket, the same for
// both languages, and nothing to do but close it.
class CFootDlg : public QDialog {
 public:
  explicit CFootDlg(LanguageId language, QWidget* parent = nullptr);
  QLabel* picture() const { return picture_; }

 private:
  QLabel* picture_;
};

// Draws the chart: a 20-pin socket with its pins numbered and pin 1 marked.
QPixmap pinAssignmentChart(LanguageId language);

}  // namespace kt90
