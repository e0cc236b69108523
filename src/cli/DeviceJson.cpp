#include "cli/DeviceJson.h"

#include <cmath>

#include "core/base/Encoding.h"
#include "core/text/Format.h"

namespace kt90 {

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

Json outcomeJson(const OperationOutcome& outcome) {
  Json json = Json::object();
  if (outcome.firmwareVersion) json["firmwareVersion"] = escapeInvalidUtf8(*outcome.firmwareVersion);
  if (outcome.previousFirmwareVersion)
    json["previousFirmwareVersion"] = escapeInvalidUtf8(*outcome.previousFirmwareVersion);
  if (!outcome.uid.empty()) json["uid"] = outcome.uid;
  if (outcome.counters) {
    json["total"] = outcome.counters->total;
    json["successes"] = outcome.counters->successes;
    // The yield as the log shows it, to two places.
    json["yield"] = std::round(outcome.counters->yieldPercent * 100.0) / 100.0;
  }
  if (outcome.resultCode) json["resultCode"] = *outcome.resultCode;
  if (!outcome.rollingCode.empty()) json["rollingCode"] = outcome.rollingCode;
  if (outcome.hardwareResult) json["hardwareResult"] = formatText("0x%08X", *outcome.hardwareResult);
  if (outcome.serialFirst) json["serialFirst"] = *outcome.serialFirst;
  if (outcome.serialLast) json["serialLast"] = *outcome.serialLast;
  return json;
}

Json programmerJson(const std::string& port, OperationState state, const std::string& why, const TerminalHost& host,
                    const OperationOutcome& outcome) {
  Json json;
  json["port"] = escapeInvalidUtf8(port);
  json["ok"] = why.empty();
  json["state"] = stateName(state);
  if (!why.empty()) json["error"] = escapeInvalidUtf8(why);
  json["log"] = logJson(host);
  json["figures"] = outcomeJson(outcome);
  return json;
}

}  // namespace kt90
