#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace kt90::gui {

// Adds a separator and an About item to the window's system menu, where the platform has
// one, and calls `onAbout` when it is chosen. False when the platform has no such menu
// or `text` is empty.
bool addSystemMenuAbout(QWidget* window, const QString& text, std::function<void()> onAbout);

}  // namespace kt90::gui
