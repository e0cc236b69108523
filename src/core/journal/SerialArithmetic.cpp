#include "core/journal/SerialArithmetic.h"

#include <cstdlib>
#include <limits>

#include "core/text/Format.h"

namespace kt90 {

namespace {

constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();

}  // namespace

std::uint64_t greatestSerial(int length) {
  return length >= 8 ? kMost : (std::uint64_t{1} << (8 * length)) - 1;
}

std::string seriesProblem(const SerialSeries& series) {
  if (series.length < 1 || series.length > 8) {
    return formatText("a rolling code of %d bytes has no serials (1 to 8 bytes)", series.length);
  }
  if (series.step < 1) {
    return formatText("a rolling code with step %d gives every chip the same serial: set a step of 1 or more",
                      series.step);
  }
  if (series.start > greatestSerial(series.length)) return "the starting serial is longer than the rolling code";
  return {};
}

std::uint64_t serialsLeft(const SerialSeries& series, std::uint64_t next, bool exhausted) {
  if (!seriesProblem(series).empty() || exhausted || next > greatestSerial(series.length)) return 0;
  const std::uint64_t steps = (greatestSerial(series.length) - next) / static_cast<std::uint64_t>(series.step);
  return steps == kMost ? kMost : steps + 1;
}

SerialPlan planSerialBlock(const SerialSeries& series, SerialPosition at, std::uint64_t count) {
  SerialPlan plan;
  plan.after = at;
  if (std::string problem = seriesProblem(series); !problem.empty()) {
    plan.reservation.error = problem;
    return plan;
  }
  if (count == 0) {
    plan.reservation.error = "a block holds at least one serial";
    return plan;
  }
  const auto step = static_cast<std::uint64_t>(series.step);
  const std::uint64_t left = serialsLeft(series, at.next, at.exhausted);
  // count - 1 further steps must stay within the series; compared without overflow.
  const std::uint64_t room = left == 0 ? 0 : (greatestSerial(series.length) - at.next) / step;
  if (left == 0 || count - 1 > room) {
    plan.reservation.remaining = left;
    plan.reservation.error = formatText("the series has %llu serials left, fewer than the %llu asked for",
                                        static_cast<unsigned long long>(left), static_cast<unsigned long long>(count));
    return plan;
  }
  SerialBlock block;
  block.first = at.next;
  block.last = at.next + (count - 1) * step;
  plan.reservation.block = block;
  plan.after.exhausted = greatestSerial(series.length) - block.last < step;
  plan.after.next = plan.after.exhausted ? 0 : block.last + step;
  return plan;
}

std::string serialAddressesText(const std::vector<std::uint16_t>& addresses) {
  std::string text;
  for (std::size_t i = 0; i < addresses.size(); ++i) text += formatText(i ? ",0x%04X" : "0x%04X", addresses[i]);
  return text;
}

std::vector<std::uint16_t> serialAddressesFromText(const std::string& text) {
  std::vector<std::uint16_t> addresses;
  const char* at = text.c_str();
  while (*at) {
    char* end = nullptr;
    const unsigned long address = std::strtoul(at, &end, 16);
    if (end == at) break;
    addresses.push_back(static_cast<std::uint16_t>(address));
    at = *end == ',' ? end + 1 : end;
  }
  return addresses;
}

}  // namespace kt90
