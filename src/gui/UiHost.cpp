#include "gui/UiHost.h"

#include <QThread>

namespace kt90::gui {

UiHost::UiHost() : anchor_(new QObject) {}

UiHost::~UiHost() { delete anchor_; }

void UiHost::onUiThread(const std::function<void()>& call) {
  if (QThread::currentThread() == anchor_->thread()) {
    call();
    return;
  }
  QMetaObject::invokeMethod(anchor_, call, Qt::BlockingQueuedConnection);
}

void UiHost::appendLog(const std::string& text, bool withTime) {
  onUiThread([&] {
    if (view_) view_->appendLog(text, withTime);
  });
}

void UiHost::showCode(const std::string& dump) {
  onUiThread([&] {
    if (view_) view_->showCode(dump);
  });
}

void UiHost::showSummary(const std::string& summary) {
  onUiThread([&] {
    if (view_) view_->showSummary(summary);
  });
}

void UiHost::setOperationState(OperationState state, const std::string& label) {
  onUiThread([&] {
    if (view_) view_->setOperationState(state, label);
  });
}

void UiHost::setProgress(int percent) {
  onUiThread([&] {
    if (view_) view_->setProgress(percent);
  });
}

MessageAnswer UiHost::messageBox(const std::string& text, MessageButtons buttons) {
  MessageAnswer answer = buttons == MessageButtons::Ok            ? MessageAnswer::Ok
                         : buttons == MessageButtons::YesNoCancel ? MessageAnswer::Cancel
                                                                  : MessageAnswer::No;
  onUiThread([&] {
    if (view_) answer = view_->messageBox(text, buttons);
  });
  return answer;
}

bool UiHost::editText(const EntryRequest& request, std::string& text) {
  bool ok = false;
  onUiThread([&] {
    if (view_) ok = view_->editText(request, text);
  });
  return ok;
}

}  // namespace kt90::gui
