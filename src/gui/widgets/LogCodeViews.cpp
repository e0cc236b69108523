#include "gui/widgets/LogCodeViews.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/base/LocalTime.h"

namespace kt90::gui {

QString viewText(const std::string& text) {
  QString shown = QString::fromStdString(text);
  shown.replace("\r\n", "\n");
  shown.remove('\r');
  return shown;
}

LogCodeViews::LogCodeViews(QWidget* parent)
    : QWidget(parent),
      logView_(new QPlainTextEdit(this)),
      codeView_(new QPlainTextEdit(this)),
      stack_(new QStackedWidget(this)),
      showLog_(new QRadioButton(this)),
      showCode_(new QRadioButton(this)) {
  for (QPlainTextEdit* view : {logView_, codeView_}) {
    view->setReadOnly(true);
    // A cursor the keys move: Ctrl+Home and Ctrl+End reach both ends, arrows and pages too.
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    stack_->addWidget(view);
  }
  // Long log entries wrap; the code dump keeps one row per line.
  logView_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  codeView_->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* radios = new QHBoxLayout;
  radios->addWidget(showLog_);
  radios->addWidget(showCode_);
  radios->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(radios);
  layout->addWidget(stack_, 1);
  logView_->setObjectName("logView");
  codeView_->setObjectName("codeView");
  codeView_->setTabStopDistance(4 * codeView_->fontMetrics().horizontalAdvance(' '));
  showLog_->setObjectName("showLog");
  showCode_->setObjectName("showCode");
  showLog_->setChecked(true);
  connect(showLog_, &QRadioButton::clicked, this, &LogCodeViews::showLogView);
  connect(showCode_, &QRadioButton::clicked, this, &LogCodeViews::showCodeView);
}

void LogCodeViews::appendLog(const std::string& entry, bool withTime) {
  const std::size_t before = log_.text().size();
  const std::string added = log_.append(entry, withTime, localNow());
  if (log_.text().size() == before + added.size() && !added.empty()) {
    logView_->moveCursor(QTextCursor::End);
    // Every entry starts on a line of its own, also after one without a line break.
    const QString shown = logView_->toPlainText();
    if (!shown.isEmpty() && !shown.endsWith('\n')) logView_->insertPlainText("\n");
    logView_->insertPlainText(viewText(added));
  } else {
    logView_->setPlainText(viewText(log_.text()));  // emptied ("CLEAR" or the size rule)
  }
  logView_->moveCursor(QTextCursor::End);
  logView_->ensureCursorVisible();
  if (isClearCommand(entry)) return;  // "CLEAR" does not change the visible view
  emit logged(viewText(added));
  showLogView();
}

void LogCodeViews::showCode(const std::string& dump) {
  codeView_->setPlainText(viewText(dump));
  showCodeView();
}

void LogCodeViews::showLogView() {
  showLog_->setChecked(true);
  showCode_->setChecked(false);
  stack_->setCurrentWidget(logView_);
}

void LogCodeViews::showCodeView() {
  showLog_->setChecked(false);
  showCode_->setChecked(true);
  stack_->setCurrentWidget(codeView_);
}

void LogCodeViews::raiseCodeView() { stack_->setCurrentWidget(codeView_); }

bool LogCodeViews::codeVisible() const { return stack_->currentWidget() == codeView_; }

}  // namespace kt90::gui
