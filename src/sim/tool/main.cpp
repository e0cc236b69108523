// kt90-sim: the emulated programmer on a pseudo-terminal.
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "core/base/AtomicWrite.h"
#include "core/base/FileIo.h"
#include "sim/Emulator.h"
#include "sim/Faults.h"
#include "sim/FdServer.h"
#include "sim/FirmwareBody.h"
#include "sim/StateStore.h"

namespace {

int stopPipe[2] = {-1, -1};

// The signal's number goes down the pipe, so the exit can name it.
void onSignal(int signal) {
  const char byte = static_cast<char>(signal);
  [[maybe_unused]] const ssize_t n = ::write(stopPipe[1], &byte, 1);
}

std::string stopSignalName() {
  char byte = 0;
  if (::read(stopPipe[0], &byte, 1) != 1) return "a signal";
  const char* name = ::sigabbrev_np(byte);
  return name ? std::string("SIG") + name : "signal " + std::to_string(byte);
}

// Says on standard error why serving ended; the exit status.
int reportEnd(kt90::sim::FdServer::End end, const kt90::sim::FdServer& server, const kt90::sim::Emulator& emulator) {
  using End = kt90::sim::FdServer::End;
  switch (end) {
    case End::Stopped:
      std::cerr << "kt90-sim: stopped by " << stopSignalName() << "\n";
      return 0;
    case End::Disconnected:
      std::cerr << "kt90-sim: disconnected after " << emulator.transfers() << " transfers (fault disconnect)\n";
      return 0;
    case End::LineFailed:
      std::cerr << "kt90-sim: the line failed: " << server.problem() << "\n";
      return 1;
    case End::StateNotSaved:
      std::cerr << "kt90-sim: " << server.problem() << "\n";
      return 1;
  }
  return 1;
}

std::optional<kt90::sim::Uid> parseUid(const std::string& hex) {
  if (hex.size() != 24 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return std::nullopt;
  kt90::sim::Uid uid{};
  for (std::size_t i = 0; i < uid.size(); ++i) {
    uid[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
  }
  return uid;
}

std::string faultHelp() {
  std::string text = "fault switch, repeatable (numbers decimal or 0x hexadecimal):";
  for (const auto& spec : kt90::sim::faultSpecs()) {
    text += "\n  " + std::string(spec.usage) + std::string(spec.usage.size() < 14 ? 14 - spec.usage.size() : 1, ' ');
    text += std::string(spec.help);
  }
  return text;
}

int makeFirmware(const std::string& path, const std::string& version, std::size_t bodySize) {
  const kt90::FirmwareImage image{version, kt90::sim::makeFirmwareBody(version, bodySize)};
  const kt90::AtomicWriteOutcome written =
      kt90::writeFileAtomically(kt90::pathFromUtf8(path), kt90::encodeFirmwareImage(image));
  if (!written.ok()) {
    std::cerr << "kt90-sim: cannot write " << path << ": " << written.problem << "\n";
    return 1;
  }
  return 0;
}

// A raw pseudo-terminal; the slave stays open here too, so the master never sees a hang-up
// while no client has the port open.
bool openRawPty(int& master, int& slave) {
  termios raw{};
  ::cfmakeraw(&raw);
  ::cfsetispeed(&raw, B115200);
  ::cfsetospeed(&raw, B115200);
  if (::openpty(&master, &slave, nullptr, &raw, nullptr) != 0) return false;
  ::fcntl(master, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave, F_SETFD, FD_CLOEXEC);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Emulated KT90 programmer serving the wire protocol on a pseudo-terminal"};
  bool pty = false;
  std::string statePath, version, uidText, firmwareOut;
  std::optional<unsigned> latencyMs;
  std::vector<std::string> faults;
  bool keepChip = false;
  std::size_t firmwareSize = 16384;
  app.add_flag("--pty", pty,
               "create a pseudo-terminal, print its path as the first line and serve on it; a line \"start N\" "
               "on standard input presses the stand-alone start key N times: N chips are programmed with the "
               "stored program, each printing \"ROL_CODE:\" and serial bytes 0-3 in hexadecimal, \"PASSED\" "
               "without a rolling code, or \"FAILED:\" and the result code");
  app.add_option("--state", statePath,
                 "keep the programmer's state in FILE (loaded when it exists, saved before each reply); "
                 "one process at a time")
      ->type_name("FILE");
  app.add_option("--version", version,
                 "version text (default \"" + std::string(kt90::sim::Emulator::kDefaultVersion) + "\")");
  app.add_option("--uid", uidText, "12-byte U_ID as 24 hexadecimal digits")->type_name("HEX24");
  app.add_option("--latency-ms", latencyMs, "shortest time from a request to its reply");
  app.add_option("--fault", faults, faultHelp())->type_name("NAME[=ARG]");
  app.add_flag("--keep-chip", keepChip, "program the chip already in the socket instead of a fresh one per run");
  int chipWidth = 0;
  app.add_option("--chip-width", chipWidth, "word width of the fresh chips a debugger-type run programs (14 or 16)")
      ->check(CLI::IsMember({14, 16}));
  app.add_option("--make-firmware", firmwareOut, "write a firmware image with --version to FILE and exit")
      ->type_name("FILE");
  app.add_option("--firmware-size", firmwareSize, "body size of --make-firmware in bytes")
      ->check(CLI::Range(256, 65472));
  CLI11_PARSE(app, argc, argv);

  if (!firmwareOut.empty()) {
    if (version.empty()) {
      std::cerr << "kt90-sim: --make-firmware needs --version\n";
      return 2;
    }
    return makeFirmware(firmwareOut, version, firmwareSize);
  }
  if (!pty) {
    std::cerr << "kt90-sim: nothing to do (use --pty)\n";
    return 2;
  }

  kt90::sim::Emulator emulator;
  std::optional<kt90::sim::StateStore> store;
  if (!statePath.empty()) {
    store.emplace(kt90::pathFromUtf8(statePath));
    if (const std::string error = store->open(emulator, kt90::sim::stateLockWait()); !error.empty()) {
      std::cerr << "kt90-sim: " << error << "\n";
      return 1;
    }
  }
  if (!version.empty()) emulator.setVersionText(version);
  if (!uidText.empty()) {
    const auto uid = parseUid(uidText);
    if (!uid) {
      std::cerr << "kt90-sim: --uid needs 24 hexadecimal digits\n";
      return 2;
    }
    emulator.setUid(*uid);
  }
  if (latencyMs) emulator.faults.latency = std::chrono::milliseconds(*latencyMs);
  emulator.keepChip = keepChip;
  if (chipWidth != 0) {
    emulator.chipWordWidth = chipWidth;
    if (!keepChip) emulator.chip().makeBlank(chipWidth);
  }
  for (const std::string& fault : faults) {
    if (const std::string error = kt90::sim::applyFault(emulator, fault); !error.empty()) {
      std::cerr << "kt90-sim: " << error << "\n";
      return 2;
    }
  }

  // Settings that changed the state (a version, a U_ID, an erased storage) are kept too.
  if (store) {
    if (const std::string error = store->commit(emulator); !error.empty()) {
      std::cerr << "kt90-sim: " << error << "\n";
      return 1;
    }
  }

  int master = -1, slave = -1;
  if (::pipe2(stopPipe, O_CLOEXEC) != 0 || !openRawPty(master, slave)) {
    std::cerr << "kt90-sim: cannot create a pseudo-terminal\n";
    return 1;
  }
  struct sigaction action {};
  action.sa_handler = onSignal;
  ::sigemptyset(&action.sa_mask);
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  std::cout << ::ttyname(slave) << std::endl;
  kt90::sim::tightenTimerSlack();
  kt90::sim::FdServer server(emulator, master, store ? &*store : nullptr);
  // The start key of a stand-alone programmer, pressed by "start N" lines on standard input.
  server.attachConsole(STDIN_FILENO, STDOUT_FILENO);
  const auto end = server.serve(stopPipe[0]);
  ::close(master);
  ::close(slave);
  return reportEnd(end, server, emulator);
}
