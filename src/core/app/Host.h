#pragma once
#include <string>

namespace kt90 {

// Operation states shown by the status label.
enum class OperationState { Passed = 0, Failed = 1, Ready = 2, Running = 3 };

// YesNoCancel: closing the box or Escape answers Cancel.
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// What the core needs from a user interface. The GUI runs each call on its UI thread,
// the CLI writes to the terminal, tests record. The core never prints.
class Host {
 public:
  virtual ~Host() = default;

  // One formatted log entry (already cut to its limit), with or without the time stamp.
  // The text "CLEAR" empties the log.
  virtual void appendLog(const std::string& text, bool withTime) = 0;
  // The code view's text (a dump of the shown code).
  virtual void showCode(const std::string& dump) = 0;
  // The summary view's text.
  virtual void showSummary(const std::string& summary) = 0;
  // The state with the status label's text (Run/Pass/Fail, or the chip's short name and
  // signature when Ready).
  virtual void setOperationState(OperationState state, const std::string& label) = 0;
  virtual void setProgress(int percent) = 0;
  virtual MessageAnswer messageBox(const std::string& text, MessageButtons buttons) = 0;
  // The one-line entry dialog: false on Cancel.
  struct EntryRequest {
    std::string prompt;
    std::string initial;
    int maxChars = 8;
    bool hexadecimal = true;
  };
  virtual bool editText(const EntryRequest& request, std::string& text) = 0;
};

}  // namespace kt90
