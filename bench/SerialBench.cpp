// The serial driver's own cost, against kt90-sim on a pseudo-terminal: 1,024 bare block
// transactions at 1 ms of emulated latency (the line should add little to the 1,024 ms
// floor), and how long the calls take once the programmer is gone (each should fail once,
// after one reply timeout, without retries).
//   bench_serial [--runs N]
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "BenchSupport.h"
#include "Quantile.h"
#include "core/programmer/Commands.h"
#include "link/SerialDriver.h"

namespace kt90::bench {
namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point begin) {
  return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

// Milliseconds for `blocks` writes and `blocks` reads of 32 bytes; negative when one failed.
double transactions(int blocks) {
  SimServer server;
  if (!server.start({"--latency-ms", "1"})) return -1;
  link::SerialDriver driver;
  if (!driver.OpenDevice(server.path())) return -1;
  std::uint8_t block[32] = {};
  const auto begin = Clock::now();
  for (int k = 0; k < blocks; ++k) {
    if (driver.WriteData(block, 0x20 + 32u * static_cast<unsigned>(k), 32) != 32) return -1;
  }
  for (int k = 0; k < blocks; ++k) {
    if (driver.ReadData(block, 0x20 + 32u * static_cast<unsigned>(k), 32) != 32) return -1;
  }
  const double took = millisecondsSince(begin);
  driver.CloseDevice();
  return took;
}

// Milliseconds for a read and a command after kt90-sim ended, with a 300 ms reply timeout.
double goneProgrammer() {
  SimServer server;
  if (!server.start({})) return -1;
  link::SerialDriver driver;
  driver.setReplyTimeout(std::chrono::milliseconds(300));
  if (!driver.OpenDevice(server.path())) return -1;
  server.stop();
  std::uint8_t buffer[32];
  const auto begin = Clock::now();
  const bool failed = driver.ReadData(buffer, 0, 32) == 0 && driver.SendCmd(CMD_GET_VERSION) == 0;
  const double took = millisecondsSince(begin);
  driver.CloseDevice();
  return failed ? took : -1;
}

}  // namespace

int run(int argc, char** argv) {
  int runs = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
  }
  QCoreApplication app(argc, argv);
  constexpr int kBlocks = 512;
  std::vector<double> line, gone;
  for (int r = 0; r < runs; ++r) {
    line.push_back(transactions(kBlocks));
    gone.push_back(goneProgrammer());
    if (line.back() < 0 || gone.back() < 0) {
      std::fprintf(stderr, "run %d: kt90-sim did not serve or a call did not go as expected\n", r);
      return 1;
    }
  }
  const double floor = 2.0 * kBlocks;
  std::printf("%d transactions at 1 ms latency: median %.1f ms, ratio to the floor %.3f (target <= 1.05)\n",
              2 * kBlocks, median(line), median(line) / floor);
  std::printf("programmer gone, 300 ms reply timeout: read and command fail in %.0f ms (target < 1000)\n",
              median(gone));
  return 0;
}

}  // namespace kt90::bench

int main(int argc, char** argv) { return kt90::bench::run(argc, argv); }
