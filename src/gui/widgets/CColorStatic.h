#pragma once
#include <QLabel>

namespace kt90::gui {

// A static text with a background of its own (the main window's status field): the
// button-face colour until its owner sets another, black text, shrunk to fit the field.
class CColorStatic : public QLabel {
  Q_OBJECT
 public:
  explicit CColorStatic(QWidget* parent = nullptr);

  // Takes the new background and repaints at once.
  void setBackgroundColour(const QColor& colour);
  QColor backgroundColour() const { return background_; }

 protected:
  // A text wider than the field is drawn in a smaller size instead of being cut.
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor background_;
};

}  // namespace kt90::gui
