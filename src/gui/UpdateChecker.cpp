#include "gui/UpdateChecker.h"

#include <QCoreApplication>
#include <QThread>

#include "core/app/UpdateCheck.h"
#include "core/base/LocalTime.h"
#include "gui/HttpFetch.h"
#include "gui/UiHost.h"

namespace kt90::gui {
namespace {

constexpr int kRequestTimeoutMs = 15000;

class CheckerIo : public UpdateCheckIo {
 public:
  CheckerIo(UiHost& host, const UpdateChecker::UrlOpener& openUrl, const std::atomic<bool>& cancel)
      : host_(host), openUrl_(openUrl), cancel_(cancel) {}
  PageFetch fetch(const std::string& url) override {
    return fetchPage(QString::fromStdString(url), kRequestTimeoutMs, &cancel_);
  }
  MessageAnswer messageBox(const std::string& text, MessageButtons buttons) override {
    if (cancel_) return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
    return host_.messageBox(text, buttons);
  }
  void openUrl(const std::string& url) override {
    host_.onUiThread([&] { openUrl_(url); });
  }

 private:
  UiHost& host_;
  const UpdateChecker::UrlOpener& openUrl_;
  const std::atomic<bool>& cancel_;
};

}  // namespace

UpdateChecker::UpdateChecker(std::string programDir, ProfileStore& profile, UiHost& host, UrlOpener openUrl)
    : programDir_(std::move(programDir)), profile_(profile), host_(host), openUrl_(std::move(openUrl)) {}

UpdateChecker::~UpdateChecker() { stop(); }

void UpdateChecker::start() {
  if (thread_.joinable()) return;
  thread_ = std::thread([this] { run(); });
}

void UpdateChecker::stop() {
  cancel_ = true;
  if (!thread_.joinable()) return;
  // The thread may be waiting for the UI thread (a question); keep events flowing.
  while (!finished_) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  thread_.join();
}

void UpdateChecker::run() {
  CheckerIo io(host_, openUrl_, cancel_);
  runUpdateCheck(readSettings(programDir_), profile_, io, localNow());
  finished_ = true;
}

}  // namespace kt90::gui
