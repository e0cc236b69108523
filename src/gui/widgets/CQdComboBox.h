#pragma once
#include <QComboBox>

namespace kt90::gui {

// The chip model list: a plain drop-down list that ignores the mouse wheel, so scrolling
// over the window never changes the chip (and never asks about the program).
class CQdComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit CQdComboBox(QWidget* parent = nullptr) : QComboBox(parent) {}

 protected:
  void wheelEvent(QWheelEvent* event) override;
};

}  // namespace kt90::gui
