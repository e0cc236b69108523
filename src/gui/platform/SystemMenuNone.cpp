#include "gui/platform/SystemMenu.h"

namespace kt90::gui {

bool addSystemMenuAbout(QWidget*, const QString&, std::function<void()>) { return false; }

}  // namespace kt90::gui
