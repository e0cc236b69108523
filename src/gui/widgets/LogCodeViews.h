#pragma once
#include <QWidget>

#include "core/app/LogText.h"

class QPlainTextEdit;
class QRadioButton;
class QStackedWidget;

namespace kt90::gui {

// The log view and the code view lying on the same place, under the "Show Log" and
// "Show Code" radio buttons that pick the visible one. The log keeps the log's rules
// (the entry limit, "CLEAR", emptied at 4,096 characters).
class LogCodeViews : public QWidget {
  Q_OBJECT
 public:
  explicit LogCodeViews(QWidget* parent = nullptr);

  // Adds an entry and brings the log to the front.
  void appendLog(const std::string& entry, bool withTime);
  // Sets the code view's text and brings it to the front.
  void showCode(const std::string& dump);
  // Brings a view to the front and sets the radio buttons.
  void showLogView();
  void showCodeView();
  // The code view to the front without touching the radio buttons (the Ready state).
  void raiseCodeView();

  QPlainTextEdit* logView() const { return logView_; }
  QPlainTextEdit* codeView() const { return codeView_; }
  QRadioButton* showLogButton() const { return showLog_; }
  QRadioButton* showCodeButton() const { return showCode_; }
  const LogText& log() const { return log_; }
  bool codeVisible() const;

 signals:
  // An entry as it was added (time stamp included); the log may empty itself later.
  void logged(const QString& entry);

 private:
  LogText log_;
  QPlainTextEdit* logView_;
  QPlainTextEdit* codeView_;
  QStackedWidget* stack_;
  QRadioButton* showLog_;
  QRadioButton* showCode_;
};

// A view text as a plain-text widget shows it: CR LF as one line break.
QString viewText(const std::string& text);

}  // namespace kt90::gui
