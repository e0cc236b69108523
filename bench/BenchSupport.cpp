#include "BenchSupport.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

extern char** environ;

namespace kt90::bench {

bool SimServer::start(const std::vector<std::string>& extra) {
  int out[2];
  if (::pipe(out) != 0) return false;
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  ::posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> args = {KT90_SIM_PATH, "--pty", "--version", kVersion};
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int rc = ::posix_spawn(&pid_, KT90_SIM_PATH, &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  char c = 0;
  pollfd p{out[0], POLLIN, 0};
  while (rc == 0 && ::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') path_ += c;
  ::close(out[0]);
  return rc == 0 && c == '\n';
}

void SimServer::stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

MemoryProfile BenchProject::englishQd45c8k() {
  MemoryProfile profile;
  profile.writeInt(profile::kLanguage, kEnglish);
  profile.writeString(profile::kChip, "QD45C8K");
  return profile;
}

BenchProject::BenchProject(const std::string& dataDir)
    : profile(englishQd45c8k()), state(host, profile, dataDir) {
  state.start();
  prepareImage(state);
}

void prepareImage(WorkingState& state) {
  ProgramImage& image = state.image();
  image.head.setCodeWords(8192);
  std::mt19937 random(90);
  for (std::size_t n = 0; n < 8192; ++n) image.setWord(n, static_cast<std::uint16_t>(random()));
  image.calibration = CaliBrate{8, 0xFF, 0, 0};
  for (int k = 0; k < 8; ++k) image.calibrationEntries[k].rul = 1000u + static_cast<std::uint32_t>(k);
  image.rolCode.bytes.fill(0);
  image.rolCode.bytes[0] = 7;  // eight serial bytes: the longest record, 34 bytes
  for (int i = 0; i < 8; ++i) {
    image.rolCode.bytes[2 + 2 * i] = 4;
    writeU16(&image.rolCode.bytes[17 + 2 * i], static_cast<std::uint16_t>(0x100 + i));
  }
  image.rolCode.bytes[33] = 1;
  image.head.setFlag(headflag::kRollingCode, true);
  image.head.setProgramLimit(100000);
  image.protection.downloadLimit = 255;
}

}  // namespace kt90::bench
