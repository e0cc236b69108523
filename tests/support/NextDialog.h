#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>

namespace kt90::test {

// Acts on the dialog an entry point runs modally, once its event loop has started.
template <class Dialog>
void onNextDialog(std::function<void(Dialog&)> action) {
  QTimer::singleShot(0, [action] {
    auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    action(*dialog);
  });
}

}  // namespace kt90::test
