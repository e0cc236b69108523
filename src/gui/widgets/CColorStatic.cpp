#include "gui/widgets/CColorStatic.h"

namespace kt90::gui {

CColorStatic::CColorStatic(QWidget* parent) : QLabel(parent) {
  setAutoFillBackground(true);
  setAlignment(Qt::AlignCenter);
  QPalette p = palette();
  background_ = p.color(QPalette::Button);
  p.setColor(QPalette::Window, background_);
  p.setColor(QPalette::WindowText, Qt::black);
  setPalette(p);
}

void CColorStatic::setBackgroundColour(const QColor& colour) {
  background_ = colour;
  QPalette p = palette();
  p.setColor(QPalette::Window, colour);
  p.setColor(QPalette::WindowText, Qt::black);
  setPalette(p);
  repaint();
}

}  // namespace kt90::gui
