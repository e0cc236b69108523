// The same 8192-word download into one kt90-sim programmer and into a gang of several,
// each on a pseudo-terminal with 1 ms of emulated latency per transaction, through kt90ctl
// itself (threads, shared console, project-file save): the gang should take little longer
// than one programmer.
//   bench_gang [--runs N] [--programmers N] [--data-dir DIR]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "Quantile.h"
#include "core/app/ProfileStore.h"
#include "core/app/SaveProgramFile.h"

extern char** environ;

namespace kt90::bench {

namespace {

// Runs kt90ctl with `args`, its output thrown away; the wall time in seconds, or a negative
// number when it did not exit 0.
double timeKt90ctl(std::vector<std::string> args) {
  args.insert(args.begin(), KT90CTL_PATH);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const auto begin = std::chrono::steady_clock::now();
  pid_t pid = -1;
  int status = -1;
  const int rc = ::posix_spawn(&pid, KT90CTL_PATH, &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  if (rc != 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? took.count() : -1;
}

}  // namespace

int run(int argc, char** argv) {
  int runs = 5;
  std::size_t programmers = 4;
  std::string dataDir = KT90_DATA_DIR;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--programmers") == 0) programmers = std::max(2, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--data-dir") == 0) dataDir = argv[i + 1];
  }
  BenchProject project(dataDir);
  QuietHost& host = project.host;
  WorkingState& state = project.state;
  std::error_code error;
  const auto folder = std::filesystem::temp_directory_path() / ("kt90-gang-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder, error);
  const std::string file = (folder / "gang.vk").string();
  if (!saveProgramFile(state, file, SaveType::Project)) {
    std::fprintf(stderr, "cannot write %s: %s\n", file.c_str(), host.last.c_str());
    return 1;
  }

  std::vector<std::unique_ptr<SimServer>> servers;
  for (std::size_t i = 0; i < programmers; ++i) {
    servers.push_back(std::make_unique<SimServer>());
    if (!servers.back()->start({"--latency-ms", "1"})) {
      std::fprintf(stderr, "kt90-sim did not start\n");
      return 1;
    }
  }
  const std::vector<std::string> common = {"--data-dir", dataDir, "download", file};
  std::vector<std::string> one = common, gang = common;
  one.insert(one.end(), {"--port", servers[0]->path()});
  for (const auto& server : servers) gang.insert(gang.end(), {"--port", server->path()});

  // Taken in turns, so that a change in the machine's load falls on both alike.
  std::vector<double> oneSeconds, gangSeconds;
  for (int run = 0; run < runs; ++run) {
    oneSeconds.push_back(timeKt90ctl(one));
    gangSeconds.push_back(timeKt90ctl(gang));
    if (oneSeconds.back() < 0 || gangSeconds.back() < 0) {
      std::fprintf(stderr, "a kt90ctl download failed\n");
      return 1;
    }
  }
  std::filesystem::remove_all(folder, error);

  std::printf("kt90ctl download of 8192 words over kt90-sim ptys, 1 ms latency; %d runs each, in turns\n", runs);
  std::printf("%-22s %10s %10s\n", "programmers", "median ms", "best ms");
  std::printf("%-22s %10.1f %10.1f\n", "1", 1000 * median(oneSeconds),
              1000 * *std::min_element(oneSeconds.begin(), oneSeconds.end()));
  std::printf("%-22zu %10.1f %10.1f\n", programmers, 1000 * median(gangSeconds),
              1000 * *std::min_element(gangSeconds.begin(), gangSeconds.end()));
  std::printf("gang of %zu / one: median %.3f, best %.3f (target <= 1.2)\n", programmers,
              median(gangSeconds) / median(oneSeconds),
              *std::min_element(gangSeconds.begin(), gangSeconds.end()) /
                  *std::min_element(oneSeconds.begin(), oneSeconds.end()));
  return 0;
}

}  // namespace kt90::bench

int main(int argc, char** argv) { return kt90::bench::run(argc, argv); }
