#pragma once
#include <QFont>
#include <QString>
#include <functional>
#include <string>

#include "core/base/Reporter.h"
#include "core/text/Language.h"
#include "core/text/StringTable.h"

class QDialog;
class QDialogButtonBox;
class QWidget;

namespace kt90 {

inline QString qtText(TextId id, LanguageId language) { return QString::fromUtf8(text(id, language)); }
inline QString qtString(const std::string& utf8) { return QString::fromStdString(utf8); }

// How an editor shows a message box (OK only): the owner, its caption, the text. The
// default is an information box; tests put a recorder in its place.
using AlertSink = std::function<void(QWidget* owner, const QString& caption, const QString& text)>;
AlertSink informationBoxSink();

// A Reporter for the core editor models: alerts go to a dialog's sink, log lines to the
// working state's reporter (or nowhere).
class AlertReporter : public Reporter {
 public:
  AlertReporter(QWidget* owner, QString caption, AlertSink sink, Reporter* logTo = nullptr)
      : owner_(owner), caption_(std::move(caption)), sink_(std::move(sink)), logTo_(logTo) {}
  void log(const std::string& line) override {
    if (logTo_) logTo_->log(line);
  }
  void alert(const std::string& text) override { sink_(owner_, caption_, qtString(text)); }

 private:
  QWidget* owner_;
  QString caption_;
  AlertSink sink_;
  Reporter* logTo_;
};

// The editors' OK and Cancel buttons, wired to the dialog's accept and reject.
QDialogButtonBox* okCancelButtons(QDialog* dialog, LanguageId language);

// The fonts of the editors: the OPTION list and the fixed-width entry fields.
QFont optionListFont();
QFont entryFont();

}  // namespace kt90
