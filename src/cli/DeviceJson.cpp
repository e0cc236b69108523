#include "cli/DeviceJson.h"

#include <set>

namespace kt90 {

namespace {

const std::set<std::string> kNumericFigures = {"total", "successes", "yield", "resultCode"};

Json figureJson(const std::string& name, const std::string& value) {
  if (kNumericFigures.count(name) != 0) {
    Json number = Json::parse(value, nullptr, false);
    if (number.is_number()) return number;
  }
  return value;
}

}  // namespace

const char* stateName(OperationState state) {
  switch (state) {
    case OperationState::Passed:
      return "Passed";
    case OperationState::Ready:
      return "Ready";
    default:
      return "Failed";
  }
}

Json logJson(const TerminalHost& host) {
  Json log = Json::array();
  for (std::string line : host.logLines()) {
    while (!line.empty() && line.back() == '\n') line.pop_back();
    log.push_back(std::move(line));
  }
  return log;
}

Json figuresJson(const OperationOutcome& outcome) {
  Json figures = Json::object();
  for (const auto& [name, value] : outcome.figures) figures[name] = figureJson(name, value);
  return figures;
}

}  // namespace kt90
