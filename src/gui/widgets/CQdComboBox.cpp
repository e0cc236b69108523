#include "gui/widgets/CQdComboBox.h"

#include <QWheelEvent>

namespace kt90::gui {

void CQdComboBox::wheelEvent(QWheelEvent* event) { event->accept(); }

}  // namespace kt90::gui
