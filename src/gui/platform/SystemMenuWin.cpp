#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>

#include "gui/platform/SystemMenu.h"

namespace kt90::gui {
namespace {

// The system command of the About item; the platform keeps the low four bits for itself.
constexpr UINT kAboutCommand = 0x10;

class SystemMenuFilter : public QAbstractNativeEventFilter {
 public:
  SystemMenuFilter(HWND window, std::function<void()> onAbout) : window_(window), onAbout_(std::move(onAbout)) {}
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "windows_generic_MSG") return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->hwnd != window_ || msg->message != WM_SYSCOMMAND) return false;
    if ((msg->wParam & 0xFFF0) != kAboutCommand) return false;
    onAbout_();
    return true;
  }

 private:
  HWND window_;
  std::function<void()> onAbout_;
};

}  // namespace

bool addSystemMenuAbout(QWidget* window, const QString& text, std::function<void()> onAbout) {
  if (text.isEmpty()) return false;
  const HWND hwnd = reinterpret_cast<HWND>(window->winId());
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  if (!menu) return false;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kAboutCommand, reinterpret_cast<LPCWSTR>(text.utf16()));
  // The filter lives as long as the application; it acts on this window's messages only.
  QCoreApplication::instance()->installNativeEventFilter(new SystemMenuFilter(hwnd, std::move(onAbout)));
  return true;
}

}  // namespace kt90::gui
