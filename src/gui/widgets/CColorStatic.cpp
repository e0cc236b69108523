#include "gui/widgets/CColorStatic.h"

#include <QPainter>

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

void CColorStatic::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), background_);
  const QRect area = contentsRect().adjusted(4, 0, -4, 0);
  QFont fitted = font();
  while (fitted.pointSizeF() > 6 && QFontMetrics(fitted).horizontalAdvance(text()) > area.width()) {
    fitted.setPointSizeF(fitted.pointSizeF() - 1);
  }
  painter.setFont(fitted);
  painter.setPen(Qt::black);
  painter.drawText(area, Qt::AlignCenter, text());
}

}  // namespace kt90::gui
