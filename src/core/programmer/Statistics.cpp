#include "core/programmer/Statistics.h"

#include <array>

#include "core/programmer/Commands.h"
#include "core/programmer/Identification.h"
#include "core/programmer/Operations.h"

namespace kt90 {

namespace {
constexpr std::uint32_t kCountersWait = 10;
}  // namespace

double yieldPercent(std::uint32_t total, std::uint32_t successes) {
  return total == 0 ? 0.0 : static_cast<double>(successes) * 100.0 / static_cast<double>(total);
}

OperationState runStatistics(OperationRun& run) {
  if (!run.openDevice()) return OperationState::Failed;
  identifyProgrammer(run);
  const auto length = static_cast<std::uint32_t>(CMD_GET_OPER_NUM.size());
  if (run.driver.SendCmd(CMD_GET_OPER_NUM.data(), length) != length) {
    run.log(TextId::SendCmdOperNumFailed);
    return OperationState::Failed;
  }
  // Counters that never arrived are no figures: zeros would read as an idle programmer.
  std::array<std::uint8_t, reply::kOperNumSize> buffer{};
  if (!run.driver.WaitData(buffer.data(), reply::kOperNumSize, kCountersWait)) {
    run.log(TextId::CountersNoReply);
    return OperationState::Failed;
  }
  const std::uint32_t total = readU32(&buffer[0]);
  const std::uint32_t successes = readU32(&buffer[4]);
  const double yield = yieldPercent(total, successes);
  run.log(TextId::StatisticsResult, total, successes, yield);
  run.outcome.counters = ProductionCounters{total, successes, yield};
  return OperationState::Passed;
}

}  // namespace kt90
