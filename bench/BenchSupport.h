#pragma once
// What the benchmark programs share: a host that keeps quiet, kt90-sim on a
// pseudo-terminal, and the largest program the storage map takes.
#include <sys/types.h>

#include <string>
#include <vector>

#include "core/app/Host.h"
#include "core/app/ProfileStore.h"
#include "core/app/WorkingState.h"

namespace kt90::bench {

inline constexpr const char* kVersion = "KT90 V5.2";  // one the settings file supports

class QuietHost : public Host {
 public:
  void appendLog(const std::string& text, bool) override { last = text; }
  void showCode(const std::string&) override {}
  void showSummary(const std::string&) override {}
  void setOperationState(OperationState, const std::string&) override {}
  void setProgress(int) override {}
  MessageAnswer messageBox(const std::string&, MessageButtons) override { return MessageAnswer::Ok; }
  bool editText(const EntryRequest&, std::string&) override { return false; }
  std::string last;
};

// kt90-sim serving a pseudo-terminal, started with `extra` arguments.
class SimServer {
 public:
  ~SimServer() { stop(); }
  bool start(const std::vector<std::string>& extra);
  void stop();
  const std::string& path() const { return path_; }

 private:
  pid_t pid_ = -1;
  std::string path_;
};

// 8192 words of code, rolling code on, eight calibration entries, a limited file.
void prepareImage(WorkingState& state);

// A started working state for QD45C8K, in English, holding the program of prepareImage.
class BenchProject {
 public:
  explicit BenchProject(const std::string& dataDir);
  QuietHost host;
  MemoryProfile profile;
  WorkingState state;

 private:
  static MemoryProfile englishQd45c8k();
};

}  // namespace kt90::bench
