#include "sim/Faults.h"

#include <algorithm>
#include <charconv>

#include "sim/Emulator.h"

namespace kt90::sim {

namespace {

// Decimal, or hexadecimal with "0x".
std::optional<std::uint64_t> parseNumber(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

bool Faults::refuses(std::uint8_t command) const {
  return refuseAll || std::find(refusedCommands.begin(), refusedCommands.end(), command) != refusedCommands.end();
}

const std::vector<FaultSpec>& faultSpecs() {
  static const std::vector<FaultSpec> specs = {
      {"no-reply", "answer nothing at all"},
      {"refuse[=CMD]", "refuse the command byte CMD (every command without it)"},
      {"corrupt=ADDR", "read the storage byte at ADDR back inverted"},
      {"disconnect=N", "answer N transfers, then disconnect"},
      {"never-ready", "a powered chip never gets ready"},
      {"wrong-chip", "the socket holds a chip of another model (result code 12)"},
      {"verify-fail", "the chip keeps one bit a run programs (result code 4)"},
      {"erased", "start with the data storage erased (all 0xFF)"},
      {"latency=MS", "take at least MS milliseconds per transfer"},
  };
  return specs;
}

std::string applyFault(Emulator& emulator, std::string_view spec) {
  const std::size_t eq = spec.find('=');
  const std::string_view name = spec.substr(0, eq);
  const bool hasArgument = eq != std::string_view::npos;
  const std::optional<std::uint64_t> number = hasArgument ? parseNumber(spec.substr(eq + 1)) : std::nullopt;
  Faults& f = emulator.faults;
  auto needsNumber = [&](std::uint64_t max) -> std::string {
    if (!number || *number > max)
      return "fault '" + std::string(name) + "' needs a number up to " + std::to_string(max);
    return {};
  };
  auto takesNothing = [&]() -> std::string {
    return hasArgument ? "fault '" + std::string(name) + "' takes no argument" : std::string();
  };

  std::string error;
  if (name == "no-reply") {
    if ((error = takesNothing()).empty()) f.noReply = true;
  } else if (name == "refuse") {
    if (!hasArgument) {
      f.refuseAll = true;
    } else if ((error = needsNumber(0xFF)).empty()) {
      f.refusedCommands.push_back(static_cast<std::uint8_t>(*number));
    }
  } else if (name == "corrupt") {
    if ((error = needsNumber(0xFFFFFFFF)).empty()) f.corruptReadAddress = static_cast<std::uint32_t>(*number);
  } else if (name == "disconnect") {
    if ((error = needsNumber(UINT64_MAX)).empty()) f.disconnectAfter = *number;
  } else if (name == "never-ready") {
    if ((error = takesNothing()).empty()) f.chipNeverReady = true;
  } else if (name == "wrong-chip") {
    if ((error = takesNothing()).empty()) f.wrongChip = true;
  } else if (name == "verify-fail") {
    if ((error = takesNothing()).empty()) f.verifyFail = true;
  } else if (name == "erased") {
    if ((error = takesNothing()).empty()) emulator.eraseStorage();
  } else if (name == "latency") {
    if ((error = needsNumber(60000)).empty()) f.latency = std::chrono::milliseconds(*number);
  } else {
    error = "unknown fault '" + std::string(name) + "'";
  }
  return error;
}

}  // namespace kt90::sim
