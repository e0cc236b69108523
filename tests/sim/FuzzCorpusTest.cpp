// The wire fuzz seed corpus: written from scripts on request, replayed through the fuzz
// targets on every run (under the sanitizers in the asan build).
#include <gtest/gtest.h>

#include <filesystem>

#include "support/FuzzCorpus.h"

#include "../../fuzz/WireTargets.h"
#include "core/programmer/Commands.h"

namespace kt90 {
namespace {



// Script steps (see WireTargets.h).
Bytes frame(std::uint8_t seq, std::uint8_t type, Bytes payload) {
  Bytes out = {0x40, seq, type, static_cast<std::uint8_t>(payload.size())};
  appendBytes(out, payload);
  return out;
}
Bytes request(wire::Op op, Bytes payload) { return frame(1, static_cast<std::uint8_t>(op), std::move(payload)); }
Bytes join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) appendBytes(out, p);
  return out;
}

std::uint8_t opIndex(wire::Op op) {
  for (std::size_t i = 0; i < std::size(fuzz::kOps); ++i) {
    if (fuzz::kOps[i] == op) return static_cast<std::uint8_t>(i);
  }
  return 0;
}
Bytes direct(wire::Op op, Bytes payload) {
  Bytes out = {opIndex(op), static_cast<std::uint8_t>(payload.size())};
  appendBytes(out, payload);
  return out;
}

test::FuzzSeeds seeds() {
  using wire::Op;
  const Bytes noise = {0x03, 0x5A, 0xA5, 0x00, 0x13};
  const Bytes falseStart = {0x80, 0x09, 0x02, 0x00, 0x10};  // announces 4,096 bytes
  std::map<std::string, std::map<std::string, Bytes>> out;
  out["wire_host"] = {
      {"ping_ok", join({{opIndex(Op::Ping)}, frame(0, 0, {0, 1})})},
      {"noise_stale_cut", join({{opIndex(Op::ReadData)},
                                noise,
                                frame(0x55, 0, {0}),
                                falseStart,
                                {0xC0, 0, 0, 3, 0, 1, 2, 0x80},
                                frame(0, 0, {0, 7, 8, 9})})},
      {"refused", join({{opIndex(Op::Command)}, frame(0, 0, {1}), {opIndex(Op::GetStatus)}, frame(0, 0, {})})},
  };
  out["wire_device"] = {
      {"version", join({{0},
                        request(Op::Ping, {}),
                        noise,
                        request(Op::Command, {CMD_GET_VERSION}),
                        request(Op::WaitData, {16, 0, 10, 0, 0, 0})})},
      {"storage", join({{0},
                        falseStart,
                        request(Op::WriteData, {0x00, 0x50, 0, 0, 1, 2, 3}),
                        {0xC0, 2, 0x11, 6, 0x00, 0x50, 0, 0, 3, 0, 0x90},
                        request(Op::ReadData, {0x00, 0x50, 0, 0, 3, 0})})},
  };
  out["sim_requests"] = {
      {"session", join({{0},
                        direct(Op::Command, {CMD_APP_ID}),
                        direct(Op::WaitData, {32, 0, 0, 1, 0, 0}),
                        direct(Op::WriteEeprom, {4, 0, 0, 0, 9, 9}),
                        direct(Op::ReadEeprom, {4, 0, 0, 0, 2, 0}),
                        direct(Op::FeatureBegin, {0x00, 0x08}),
                        direct(Op::FeatureChunk, {0, 0, 1, 2, 3, 4}),
                        direct(Op::PowerOn, {0, 0, 0, 0, 0}),
                        direct(Op::GetStatus, {}),
                        direct(Op::ReadMcu, {0, 0x20, 0, 0, 16, 0}),
                        direct(Op::PowerOff, {}),
                        direct(Op::HardwareTest, {0xFF, 0xFF, 0xFF, 0})})},
      {"debugger", join({{1},
                         direct(Op::Packet, {CMD_PROGRAM, 0}),
                         direct(Op::Command, {CMD_PROGRAM}),
                         direct(Op::WaitData, {4, 0, 0xE8, 0x03, 0, 0}),
                         {0x91, 0}})},
  };
  return out;
}

TEST(WireFuzzCorpus, WriteSeedsOnRequest) { test::writeSeedsOnRequest(seeds()); }

TEST(WireFuzzCorpus, ReplaysThroughTheTargets) { test::replayCorpora(fuzz::kWireTargets); }

}  // namespace
}  // namespace kt90
