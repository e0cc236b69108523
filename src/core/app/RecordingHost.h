#pragma once
#include <string>
#include <vector>

#include "core/app/Host.h"

namespace kt90 {

// Passes everything on to the user interface's host and, while recording, also keeps the
// log entries: the operation frame takes them into the production journal.
class RecordingHost : public Host {
 public:
  explicit RecordingHost(Host& inner) : inner_(inner) {}

  void startRecording() {
    recorded_.clear();
    recording_ = true;
  }
  // The entries since startRecording, without "CLEAR" and trailing line breaks.
  std::vector<std::string> stopRecording();

  void appendLog(const std::string& text, bool withTime) override;
  void showCode(const std::string& dump) override { inner_.showCode(dump); }
  void showSummary(const std::string& summary) override { inner_.showSummary(summary); }
  void setOperationState(OperationState state, const std::string& label) override {
    inner_.setOperationState(state, label);
  }
  void setProgress(int percent) override { inner_.setProgress(percent); }
  MessageAnswer messageBox(const std::string& text, MessageButtons buttons) override {
    return inner_.messageBox(text, buttons);
  }
  bool editText(const EntryRequest& request, std::string& text) override { return inner_.editText(request, text); }

 private:
  Host& inner_;
  bool recording_ = false;
  std::vector<std::string> recorded_;
};

}  // namespace kt90
