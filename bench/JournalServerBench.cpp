// The time a record adds to an operation when the journal is on a PostgreSQL server: each
// append through the station's outbox (its own journal first, then the server), median and
// p99, in one process and in 16 processes appending at once.
//   bench_journal_server --uri URI [--records N] [--processes N]
// Point it at a throwaway server (scripts/pg-server.sh): the records stay in its database.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Quantile.h"
#include "core/journal/JournalStore.h"
#include "core/journal/postgres/PostgresOpen.h"

namespace kt90::bench {

namespace {

using Clock = std::chrono::steady_clock;

JournalRecord sampleRecord(int process, int index) {
  JournalRecord r;
  r.time = "2024-05-01T08:00:00.000Z";
  r.durationMs = 1625;
  r.host = "bench-" + std::to_string(process);
  r.operation = "download";
  r.port = "/dev/ttyACM" + std::to_string(index % 4);
  r.passed = index % 50 != 0;
  r.programmerUid = "0123456789ABCDEF01234567";
  r.firmwareVersion = "KT90 V5.2";
  r.file = "/home/line/product.kt90";
  r.model = "KT1628";
  r.codeCrc = 0x1234;
  r.fileChecksum = 0xBEEF;
  r.rollingCode = "00 00 01 2C";
  r.log = {"Download begin", "Write OK", "Check OK", "Download success"};
  return r;
}

// Appends `records` records as station `process` with its own outbox; the microseconds of each.
std::vector<double> appendAll(const std::string& uri, const std::filesystem::path& folder, int process, int records) {
  const std::string outboxPath = (folder / ("station" + std::to_string(process) + ".sqlite")).string();
  JournalOpen store = openPostgresJournal(uri, outboxPath);
  std::vector<double> micros;
  if (!store.store) return micros;
  store.store->append(sampleRecord(process, -1));  // connects and migrates, not counted
  for (int i = 0; i < records; ++i) {
    const auto start = Clock::now();
    const JournalAppend done = store.store->append(sampleRecord(process, i));
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (!done.stored()) std::fprintf(stderr, "append failed: %s\n", done.error.c_str());
  }
  return micros;
}

void report(const char* what, const std::vector<double>& micros, double seconds) {
  std::printf("%-28s %8zu %10.2f %10.2f %12.0f\n", what, micros.size(), quantile(micros, 0.5) / 1000,
              quantile(micros, 0.99) / 1000, static_cast<double>(micros.size()) / seconds);
}

}  // namespace

int run(int argc, char** argv) {
  std::string uri;
  int records = 500;
  int processes = 16;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--uri") uri = argv[i + 1];
    if (option == "--records") records = std::atoi(argv[i + 1]);
    if (option == "--processes") processes = std::atoi(argv[i + 1]);
  }
  if (uri.empty()) {
    std::fprintf(stderr, "usage: bench_journal_server --uri URI [--records N] [--processes N]\n");
    return 2;
  }
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kt90-journal-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::printf("%-28s %8s %10s %10s %12s\n", "appends", "records", "median ms", "p99 ms", "records/s");

  auto start = Clock::now();
  const std::vector<double> one = appendAll(uri, folder, 0, records);
  report("1 process", one, std::chrono::duration<double>(Clock::now() - start).count());

  // Each child writes its figures to a file of its own; the parent gathers them.
  start = Clock::now();
  std::vector<pid_t> children;
  for (int p = 1; p <= processes; ++p) {
    const pid_t child = ::fork();
    if (child == 0) {
      {  // closed before _exit, which flushes nothing
        std::ofstream out(folder / ("figures" + std::to_string(p)));
        for (const double micros : appendAll(uri, folder, p, records)) out << micros << "\n";
      }
      ::_exit(0);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) ::waitpid(child, nullptr, 0);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::vector<double> all;
  for (int p = 1; p <= processes; ++p) {
    std::ifstream in(folder / ("figures" + std::to_string(p)));
    for (double micros = 0; in >> micros;) all.push_back(micros);
  }
  const std::string label = std::to_string(processes) + " processes at once";
  report(label.c_str(), all, seconds);
  std::printf("target: median <= 5 ms per append\n");
  std::filesystem::remove_all(folder);
  return 0;
}

}  // namespace kt90::bench

int main(int argc, char** argv) { return kt90::bench::run(argc, argv); }
