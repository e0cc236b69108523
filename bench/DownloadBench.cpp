// Download of the largest program the storage map takes (8192 words, rolling code on,
// eight calibration entries, a limited file so the count tables move) with full read-back:
// through the emulator in process, through the serial driver and kt90-sim on a
// pseudo-terminal, and the same with 1 ms of emulated latency per transaction.
//   bench_download [--runs N] [--data-dir DIR]
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "Quantile.h"
#include "core/app/ProfileStore.h"
#include "core/app/WorkingState.h"
#include "core/programmer/DeviceOperations.h"
#include "core/programmer/ProgramToWrite.h"
#include "link/SerialDriver.h"
#include "sim/Emulator.h"
#include "sim/FdTransport.h"
#include "sim/SimDriver.h"
#include "wire/WireDriver.h"

namespace kt90::bench {

namespace {

// Counts what crosses the driver contract: one transaction per call, the payload bytes, and
// how long each call took from the caller's side.
class CountingDriver : public CKT90Driver {
 public:
  explicit CountingDriver(CKT90Driver& inner) : inner_(inner) {}
  std::uint64_t transactions = 0, bytes = 0;
  std::vector<double> callSeconds;

  bool OpenDevice(const std::string& port) override { return count(0), inner_.OpenDevice(port); }
  void CloseDevice() override { inner_.CloseDevice(); }
  int SendCmd(std::uint8_t c) override { return count(1), inner_.SendCmd(c); }
  std::uint32_t SendCmd(const std::uint8_t* p, std::uint32_t l) override { return count(l), inner_.SendCmd(p, l); }
  int SendCmd(const std::uint8_t* f) override {
    transactions += 32;
    return count(kFeatureSize), inner_.SendCmd(f);
  }
  bool WaitData(std::uint8_t* b, std::uint32_t l, std::uint32_t t) override {
    return count(l), inner_.WaitData(b, l, t);
  }
  std::uint32_t WriteData(const std::uint8_t* b, std::uint32_t a, std::uint32_t l) override {
    return count(l), inner_.WriteData(b, a, l);
  }
  std::uint32_t ReadData(std::uint8_t* b, std::uint32_t a, std::uint32_t l) override {
    return count(l), inner_.ReadData(b, a, l);
  }
  std::uint32_t WriteEEPROM(const std::uint8_t* b, std::uint32_t a, std::uint32_t l) override {
    return count(l), inner_.WriteEEPROM(b, a, l);
  }
  std::uint32_t ReadEEPROM(std::uint8_t* b, std::uint32_t a, std::uint32_t l) override {
    return count(l), inner_.ReadEEPROM(b, a, l);
  }
  std::uint32_t ReadMcu(std::uint8_t* b, std::uint32_t a, std::uint32_t l) override {
    return count(l), inner_.ReadMcu(b, a, l);
  }
  bool ProPowerOn(const std::uint8_t* k) override { return count(kPowerKeySize), inner_.ProPowerOn(k); }
  bool ProPowerOff() override { return count(0), inner_.ProPowerOff(); }
  int GetStatus() override { return count(0), inner_.GetStatus(); }
  std::uint32_t HardwareModify(std::uint32_t m) override { return count(4), inner_.HardwareModify(m); }

 private:
  // Called before each call: the previous call ended when the next one began, which puts
  // the caller's own work between calls into the figures too.
  void count(std::uint64_t payload) {
    const auto now = std::chrono::steady_clock::now();
    if (transactions > 0) callSeconds.push_back(std::chrono::duration<double>(now - last_).count());
    last_ = now;
    ++transactions;
    bytes += payload;
  }
  std::chrono::steady_clock::time_point last_{};
  CKT90Driver& inner_;
};

struct Result {
  std::string name;
  std::uint64_t transactions = 0, bytes = 0;
  std::vector<double> seconds;
  std::vector<double> callSeconds;  // of every run
  double callQuantile(double q) const { return quantile(callSeconds, q); }
  double median() const { return bench::median(seconds); }
};

// Runs `runs` downloads, each of a new limited file, and times them.
bool measure(Result& result, WorkingState& state, CKT90Driver& driver, const std::string& port, int runs,
             QuietHost& host) {
  OperationGuard guard;
  for (int run = 0; run < runs; ++run) {
    state.image().protection.currentTime = 0x60000000u + static_cast<std::uint32_t>(run);
    CountingDriver counting(driver);
    const auto begin = std::chrono::steady_clock::now();
    const OperationOutcome outcome = runDeviceOperation(
        operationRequest(DeviceOperation::Download, programToWrite(state), port, port), state, counting, guard);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
    if (outcome.finalState != OperationState::Passed) {
      std::fprintf(stderr, "%s: download failed: %s", result.name.c_str(), host.last.c_str());
      return false;
    }
    result.transactions = counting.transactions;
    result.bytes = counting.bytes;
    result.callSeconds.insert(result.callSeconds.end(), counting.callSeconds.begin(), counting.callSeconds.end());
    result.seconds.push_back(took.count());
  }
  return true;
}

// Over a pty with the serial driver, or (to tell the serial port's share of the time from
// the protocol's) with the same wire driver on plain POSIX descriptors.
bool measureOverPty(Result& result, WorkingState& state, const std::vector<std::string>& simArgs, int runs,
                    QuietHost& host, bool posix = false) {
  SimServer server;
  if (!server.start(simArgs)) {
    std::fprintf(stderr, "%s: kt90-sim did not start\n", result.name.c_str());
    return false;
  }
  std::unique_ptr<CKT90Driver> driver;
  if (posix) {
    driver = std::make_unique<wire::WireDriver>(std::make_unique<sim::FdTransport>());
  } else {
    driver = std::make_unique<link::SerialDriver>();
  }
  return measure(result, state, *driver, server.path(), runs, host);
}

}  // namespace

int run(int argc, char** argv) {
  int runs = 5;
  std::string dataDir = KT90_DATA_DIR;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--data-dir") == 0) dataDir = argv[i + 1];
  }
  QCoreApplication app(argc, argv);
  BenchProject project(dataDir);
  QuietHost& host = project.host;
  WorkingState& state = project.state;

  std::vector<Result> results(4);
  results[0].name = "in-process emulator";
  results[1].name = "serial driver + kt90-sim pty";
  results[2].name = "pty, 1 ms latency";
  results[3].name = "pty, 1 ms, POSIX transport";
  sim::Emulator emulator;
  emulator.setVersionText(kVersion);
  sim::SimDriver simDriver(emulator);
  if (!measure(results[0], state, simDriver, "sim", runs, host)) return 1;
  if (!measureOverPty(results[1], state, {}, runs, host)) return 1;
  if (!measureOverPty(results[2], state, {"--latency-ms", "1"}, runs, host)) return 1;
  if (!measureOverPty(results[3], state, {"--latency-ms", "1"}, runs, host, true)) return 1;

  std::printf("Download of 8192 words, rolling code, 8 calibration entries, limited file; %d runs each\n", runs);
  std::printf("%-30s %12s %8s %10s %10s   per transaction us: %6s %6s %6s %6s\n", "variant", "transactions", "bytes",
              "median ms", "best ms", "min", "median", "p90", "p99");
  for (const Result& r : results) {
    std::printf("%-30s %12llu %8llu %10.1f %10.1f   %28.0f %6.0f %6.0f %6.0f\n", r.name.c_str(),
                static_cast<unsigned long long>(r.transactions), static_cast<unsigned long long>(r.bytes),
                1000 * r.median(), 1000 * *std::min_element(r.seconds.begin(), r.seconds.end()),
                1e6 * r.callQuantile(0), 1e6 * r.callQuantile(0.5), 1e6 * r.callQuantile(0.9),
                1e6 * r.callQuantile(0.99));
  }
  const double floor = static_cast<double>(results[2].transactions) * 0.001;
  std::printf(
      "latency floor %.1f ms (transactions x 1 ms); ratio median/floor %.3f (target <= 1.05), "
      "POSIX transport %.3f\n",
      1000 * floor, results[2].median() / floor, results[3].median() / floor);
  return 0;
}

}  // namespace kt90::bench

int main(int argc, char** argv) { return kt90::bench::run(argc, argv); }
