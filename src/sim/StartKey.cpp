#include "sim/StartKey.h"

#include <charconv>
#include <cstdio>

namespace kt90::sim {

namespace {

// Bounds one command, so a typing slip cannot keep the emulator busy for hours.
constexpr unsigned kMaxChipsPerCommand = 1000000;

std::string trimmed(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

std::string chipLine(const RunResult& run) {
  char line[32];
  if (!run.ok) {
    std::snprintf(line, sizeof line, "FAILED:%u", static_cast<unsigned>(run.code));
  } else if (run.rolling) {
    std::snprintf(line, sizeof line, "ROL_CODE:%02X%02X%02X%02X", run.serial[0], run.serial[1], run.serial[2],
                  run.serial[3]);
  } else {
    std::snprintf(line, sizeof line, "PASSED");
  }
  return line;
}

}  // namespace

std::vector<std::string> StartKey::feed(const std::string& input) {
  pending_ += input;
  std::vector<std::string> out;
  for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
    const std::string line = trimmed(pending_.substr(0, end));
    pending_.erase(0, end + 1);
    if (line.empty()) continue;
    for (std::string& printed : command(line)) out.push_back(std::move(printed));
  }
  return out;
}

std::vector<std::string> StartKey::command(const std::string& line) {
  const std::string word = "start";
  unsigned count = 0;
  if (line.compare(0, word.size(), word) == 0) {
    const std::string number = trimmed(line.substr(word.size()));
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), count);
    if (!number.empty() && error == std::errc() && end == number.data() + number.size() && count >= 1 &&
        count <= kMaxChipsPerCommand)
      return programChips(count);
  }
  return {"ERROR: unknown command \"" + line + "\" (start N, N from 1 to 1000000)"};
}

std::vector<std::string> StartKey::programChips(unsigned count) {
  std::vector<std::string> lines;
  for (unsigned i = 0; i < count; ++i) lines.push_back(chipLine(emulator_.programChip()));
  return lines;
}

}  // namespace kt90::sim
