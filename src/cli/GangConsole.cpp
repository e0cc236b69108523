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

constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

std::string bar(int percent) {
  const std::size_t filled = static_cast<std::size_t>(percent / 5);
  const std::string number = std::to_string(percent);
  return "[" + std::string(filled, '#') + std::string(20 - filled, ' ') + "] " + std::string(3 - number.size(), ' ') +
         number + "%";
}

}  // namespace

std::vector<std::string> gangProgressLines(const std::vector<std::string>& names,
                                           const std::vector<GangProgress>& shown, int rows) {
  std::vector<std::string> lines;
  // A row stays for the log line written above the progress lines.
  if (rows > 0 && names.size() + 1 > static_cast<std::size_t>(rows)) {
    int running = 0, passed = 0, failed = 0, percentSum = 0;
    for (const GangProgress& one : shown) {
      percentSum += std::clamp(one.percent, 0, 100);
      running += one.state == OperationState::Running;
      passed += one.state == OperationState::Passed;
      failed += one.state == OperationState::Failed;
    }
    const int average = shown.empty() ? 0 : percentSum / static_cast<int>(shown.size());
    lines.push_back(std::to_string(names.size()) + " programmers " + bar(average) + " running " +
                    std::to_string(running) + ", passed " + std::to_string(passed) + ", failed " +
                    std::to_string(failed));
    return lines;
  }
  std::size_t width = 0;
  for (const std::string& name : names) width = std::max(width, name.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    lines.push_back(names[i] + std::string(width - names[i].size(), ' ') + " " +
                    bar(std::clamp(shown[i].percent, 0, 100)) + " " + shownState(shown[i].state));
  }
  return lines;
}

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
  for (std::size_t i = 0; i < names_.size(); ++i) lines_.push_back(std::make_unique<Line>(*this, i));
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
  redraw(false);
}

void GangConsole::state(std::size_t index, OperationState state) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (shown_[index].state == state) return;
  shown_[index].state = state;
  // The end of a download is always shown.
  redraw(state == OperationState::Passed || state == OperationState::Failed);
}

void GangConsole::redraw(bool now) {
  if (!live_) return;
  if (!now && drawnLines_ != 0 && std::chrono::steady_clock::now() - lastDraw_ < kRedrawEvery) return;
  erase();
  draw();
}

void GangConsole::erase() {
  if (drawnLines_ == 0) return;
  // Up to the first progress line, then clear to the end of the screen.
  std::fprintf(stderr, "\x1b[%zuF\x1b[J", drawnLines_);
  std::fflush(stderr);
  drawnLines_ = 0;
}

void GangConsole::draw() {
  if (!live_) return;
  std::string text;
  const std::vector<std::string> lines = gangProgressLines(names_, shown_, terminalRows(stderr));
  for (const std::string& line : lines) text += line + "\n";
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
  drawnLines_ = lines.size();
  lastDraw_ = std::chrono::steady_clock::now();
}

}  // namespace kt90
