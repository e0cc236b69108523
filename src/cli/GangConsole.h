#pragma once
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cli/TerminalHost.h"

namespace kt90 {

// The terminal that the programmers of a gang share: every log and message line is
// prefixed with its programmer's name and written whole, and on a terminal the bottom
// lines show one progress line per programmer, drawn again below each new log line.
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
  struct Shown {
    int percent = -1;
    OperationState state = OperationState::Ready;
  };

  void log(std::size_t index, const std::string& line, std::FILE* stream);
  void progress(std::size_t index, int percent);
  void state(std::size_t index, OperationState state);
  // Both hold the mutex: the progress lines off the screen, and drawn again.
  void erase();
  void draw();

  std::vector<std::string> names_;
  std::vector<std::unique_ptr<Line>> lines_;
  std::vector<Shown> shown_;
  std::size_t nameWidth_ = 0;
  std::FILE* logStream_;
  bool live_;
  bool drawn_ = false;
  std::mutex mutex_;
};

}  // namespace kt90
