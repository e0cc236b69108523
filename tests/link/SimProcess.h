#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace kt90::testing {

// kt90-sim running as a child process on a pseudo-terminal of its own.
class SimProcess {
 public:
  SimProcess() = default;
  ~SimProcess() { stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Starts kt90-sim --pty with `args` and reads the terminal's path; false when it does
  // not come up within a few seconds.
  bool start(const std::vector<std::string>& args);
  // SIGTERM, then waits (bounded) for the exit; returns the exit status, -1 if killed.
  int stop();

  const std::string& path() const { return path_; }
  bool running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string path_;
};

}  // namespace kt90::testing
