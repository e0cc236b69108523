#pragma once
#include <deque>
#include <string>
#include <vector>

#include "core/app/Host.h"
#include "core/app/ProfileStore.h"

namespace kt90::test {

// A Host that records every call and answers questions and entry dialogs from queues
// the test fills (a question nobody prepared an answer for fails the test).
class RecordingHost : public Host {
 public:
  void appendLog(const std::string& text, bool) override { log.push_back(text); }
  void showCode(const std::string& dump) override { code = dump; }
  void showSummary(const std::string& text) override { summary = text; }
  void setOperationState(OperationState s, const std::string& text) override {
    state = s;
    label = text;
  }
  void setProgress(int percent) override { progress.push_back(percent); }
  MessageAnswer messageBox(const std::string& text, MessageButtons buttons) override {
    messages.push_back(text);
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (answers.empty()) {
      unexpectedQuestions.push_back(text);
      return MessageAnswer::No;
    }
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool editText(const EntryRequest& request, std::string& text) override {
    prompts.push_back(request.prompt);
    if (entries.empty()) return false;
    text = entries.front();
    entries.pop_front();
    return true;
  }

  bool logContains(const std::string& part) const {
    for (const auto& line : log) {
      if (line.find(part) != std::string::npos) return true;
    }
    return false;
  }

  std::vector<std::string> log;
  std::vector<std::string> messages;
  std::vector<std::string> prompts;
  std::vector<std::string> unexpectedQuestions;
  std::vector<int> progress;
  std::deque<MessageAnswer> answers;
  std::deque<std::string> entries;  // texts typed into entry dialogs
  std::string code;
  std::string summary;
  std::string label;
  OperationState state = OperationState::Ready;
};

}  // namespace kt90::test
