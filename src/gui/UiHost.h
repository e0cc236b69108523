#pragma once
#include <QObject>
#include <QPointer>
#include <functional>

#include "core/app/Host.h"

namespace kt90::gui {

// The Host the working state talks to. Every call reaches the window (itself a Host
// that only works on the UI thread) on the UI thread: directly when made there, as a
// blocking queued call from a worker, so texts are never torn and a question waits for
// its answer. Before a window is attached, or after it is gone, calls are dropped and
// questions answered No (entries Cancel): a late worker never reaches a dead window.
class UiHost : public Host {
 public:
  UiHost();
  ~UiHost() override;

  void attach(Host* view) { view_ = view; }
  void detach() { view_ = nullptr; }

  void appendLog(const std::string& text, bool withTime) override;
  void showCode(const std::string& dump) override;
  void showSummary(const std::string& summary) override;
  void setOperationState(OperationState state, const std::string& label) override;
  void setProgress(int percent) override;
  MessageAnswer messageBox(const std::string& text, MessageButtons buttons) override;
  bool editText(const EntryRequest& request, std::string& text) override;

  // Runs `call` on the UI thread and returns when it has run.
  void onUiThread(const std::function<void()>& call);

 private:
  // Lives on the UI thread: the target of the queued calls.
  QObject* anchor_;
  Host* view_ = nullptr;  // read and written on the UI thread only
};

}  // namespace kt90::gui
