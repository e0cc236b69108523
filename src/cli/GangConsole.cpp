#include "cli/GangConsole.h"

#include <algorithm>

namespace kt90 {

namespace {

const char* shownState(OperationState state) {
  switch (state) {
    case OperationState::Passed:
      return "Passed";
    case OperationState::Failed:
      return "Failed";
    case OperationState::Running:
      return "Running";
    case OperationState::Ready:
      break;
  }
  return "";
}

}  // namespace

class GangConsole::Line : public TerminalOutput {
 public:
  Line(GangConsole& console, std::size_t index) : console_(console), index_(index) {}
  void log(const std::string& line) override { console_.log(index_, line, console_.logStream_); }
  void message(const std::string& line) override { console_.log(index_, line, stderr); }
  void progress(int percent) override { console_.progress(index_, percent); }
  void state(OperationState state) override { console_.state(index_, state); }

 private:
  GangConsole& console_;
  std::size_t index_;
};

GangConsole::GangConsole(std::vector<std::string> names, std::FILE* logStream, bool live)
    : names_(std::move(names)), shown_(names_.size()), logStream_(logStream), live_(live) {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    lines_.push_back(std::make_unique<Line>(*this, i));
    nameWidth_ = std::max(nameWidth_, names_[i].size());
  }
}

GangConsole::~GangConsole() = default;

TerminalOutput& GangConsole::output(std::size_t index) { return *lines_[index]; }

void GangConsole::log(std::size_t index, const std::string& line, std::FILE* stream) {
  const std::string prefixed = "[" + names_[index] + "] " + line;
  std::lock_guard<std::mutex> lock(mutex_);
  erase();
  std::fputs(prefixed.c_str(), stream);
  std::fflush(stream);
  draw();
}

void GangConsole::progress(std::size_t index, int percent) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!live_ || shown_[index].percent == percent) return;
  shown_[index].percent = percent;
  erase();
  draw();
}

void GangConsole::state(std::size_t index, OperationState state) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (shown_[index].state == state) return;
  shown_[index].state = state;
  erase();
  draw();
}

void GangConsole::erase() {
  if (!drawn_) return;
  // Up to the first progress line, then clear to the end of the screen.
  std::fprintf(stderr, "\x1b[%zuF\x1b[J", names_.size());
  std::fflush(stderr);
  drawn_ = false;
}

void GangConsole::draw() {
  if (!live_) return;
  std::string text;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    const int percent = std::clamp(shown_[i].percent, 0, 100);
    const std::size_t filled = static_cast<std::size_t>(percent / 5);
    text += names_[i] + std::string(nameWidth_ - names_[i].size(), ' ') + " [" + std::string(filled, '#') +
            std::string(20 - filled, ' ') + "] " +
            std::string(percent < 10    ? 2
                        : percent < 100 ? 1
                                        : 0,
                        ' ') +
            std::to_string(percent) + "% " + shownState(shown_[i].state) + "\n";
  }
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace kt90
