#include "SimProcess.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace kt90::testing {

bool SimProcess::start(const std::vector<std::string>& args) {
  stop();
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return false;
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  ::posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  std::vector<std::string> all = {KT90_SIM_PATH, "--pty"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int rc = ::posix_spawn(&pid_, KT90_SIM_PATH, &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  out_ = pipeFds[0];
  if (rc != 0) {
    pid_ = -1;
    return false;
  }
  // The first line is the terminal's path.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  char c;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    if (::read(out_, &c, 1) != 1) break;
    if (c == '\n') return !path_.empty();
    path_ += c;
  }
  stop();
  return false;
}

int SimProcess::stop() {
  int result = -1;
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    pid_t done = 0;
    while ((done = ::waitpid(pid_, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (done == 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    } else if (WIFEXITED(status)) {
      result = WEXITSTATUS(status);
    }
  }
  if (out_ >= 0) ::close(out_);
  pid_ = -1;
  out_ = -1;
  path_.clear();
  return result;
}

}  // namespace kt90::testing
