#pragma once
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cli/TerminalHost.h"

namespace kt90 {

// Where one programmer of a gang stands, as its progress line shows it.
struct GangProgress {
  int percent = -1;
  OperationState state = OperationState::Ready;
};

// The progress lines for a terminal of `rows` rows: one per programmer, or one summary line
// when they would not leave a row for the log.
std::vector<std::string> gangProgressLines(const std::vector<std::string>& names,
                                           const std::vector<GangProgress>& shown, int rows);

// The rows of the terminal `stream` writes to; 0 when it cannot tell (a platform file).
int terminalRows(std::FILE* stream);

// The terminal that the programmers of a gang share: every log and message line is
// prefixed with its programmer's name and written whole, and on a terminal the bottom
// lines show the progress lines, drawn again below each new log line, and for progress
// alone at most every 100 ms so a small or slow terminal is not flooded.
class GangConsole {
 public:
  // `live`: standard error is a terminal, so the progress lines are drawn.
  GangConsole(std::vector<std::string> names, std::FILE* logStream, bool live);
  ~GangConsole();
  GangConsole(const GangConsole&) = delete;
  GangConsole& operator=(const GangConsole&) = delete;

  // The output of programmer `index`'s host.
  TerminalOutput& output(std::size_t index);

 private:
  class Line;

  void log(std::size_t index, const std::string& line, std::FILE* stream);
  void progress(std::size_t index, int percent);
  void state(std::size_t index, OperationState state);
  // Both hold the mutex: the progress lines off the screen, and drawn again.
  void erase();
  void draw();
  // Draws again now, or marks the lines out of date when they were drawn less than 100 ms ago.
  void redraw(bool now);

  std::vector<std::string> names_;
  std::vector<std::unique_ptr<Line>> lines_;
  std::vector<GangProgress> shown_;
  std::FILE* logStream_;
  bool live_;
  std::size_t drawnLines_ = 0;
  std::chrono::steady_clock::time_point lastDraw_;
  std::mutex mutex_;
};

}  // namespace kt90
