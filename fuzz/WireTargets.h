#pragma once
// The fuzz targets of the wire protocol: the frame decoder at the host end (the client
// reading replies), at the programmer end (the request loop of the emulator's server) and
// the emulator's request handler itself. The sim tests replay the committed corpus through
// the same functions.
//
// The input is a small script, so the fuzzer reaches past the CRCs: each step is one
// control byte, its top two bits choosing what goes on the line next:
//   00 noise:       (low 6 bits + 1) raw bytes
//   01 frame:       seq, type, length u8, payload; a valid frame
//   10 false start: seq, type, length u16; a header with a valid check and nothing after
//   11 cut frame:   seq, type, length u8, payload, cut u8; a valid frame cut short
// At the host end seq 0 and type 0 stand for the sequence and reply type the client waits
// for, so matching replies are easy to reach. Only feed() and next() of the decoder are
// used, so the harnesses keep working whatever else the decoder learns.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/progfile/Crc16.h"
#include "sim/Emulator.h"
#include "sim/RequestHandler.h"
#include "wire/Client.h"
#include "wire/Frame.h"

namespace kt90::fuzz {

inline void requireWire(bool property) {
  if (!property) std::abort();
}

class Script {
 public:
  explicit Script(ByteView bytes) : rest_(bytes) {}
  bool done() const { return rest_.empty(); }
  std::uint8_t byte() {
    if (rest_.empty()) return 0;
    const std::uint8_t b = rest_[0];
    rest_ = rest_.subspan(1);
    return b;
  }
  ByteView bytes(std::size_t count) {
    const ByteView out = rest_.first(std::min(count, rest_.size()));
    rest_ = rest_.subspan(out.size());
    return out;
  }

 private:
  ByteView rest_;
};

// The line bytes of the script's next step. `seqNow` and `typeNow` replace a 0 seq or type.
inline Bytes nextLineBytes(Script& script, std::uint8_t seqNow, std::uint8_t typeNow) {
  const std::uint8_t control = script.byte();
  Bytes out;
  if ((control >> 6) == 0) {
    appendBytes(out, script.bytes((control & 0x3Fu) + 1u));
    return out;
  }
  std::uint8_t seq = script.byte();
  std::uint8_t type = script.byte();
  if (seq == 0) seq = seqNow;
  if (type == 0) type = typeNow;
  if ((control >> 6) == 2) {
    std::uint8_t header[wire::kHeaderSize] = {wire::kSync0, wire::kSync1, seq, type, script.byte(), script.byte(), 0};
    header[6] = static_cast<std::uint8_t>(crc16(ByteView(header + 2, 4)));
    appendBytes(out, ByteView(header, sizeof header));
    return out;
  }
  const ByteView payload = script.bytes(script.byte());
  wire::encodeFrameInto(out, seq, type, payload);
  if ((control >> 6) == 3) out.resize(out.size() * script.byte() / 256);
  return out;
}

// The whole script as line bytes, one piece per step.
template <typename OnPiece>
void forEachPiece(Script& script, OnPiece onPiece) {
  while (!script.done()) onPiece(nextLineBytes(script, 0, 0));
}

// A line whose replies come from the script, written step by step as the client reads.
class ScriptedTransport : public wire::Transport {
 public:
  explicit ScriptedTransport(Script& script) : script_(script) {}
  bool open(const std::string&) override { return true; }
  void close() override {}
  bool isOpen() const override { return true; }
  bool write(ByteView bytes, wire::Deadline) override {
    wire::FrameDecoder decoder;
    decoder.feed(bytes);
    const auto request = decoder.next();
    requireWire(request.has_value() && !decoder.next());
    seq_ = request->seq;
    replyType_ = static_cast<std::uint8_t>(request->type | wire::kReplyBit);
    return true;
  }
  // Nothing left is a timeout, as a silent line.
  long read(std::span<std::uint8_t> into, wire::Deadline) override {
    if (pending_.empty()) {
      if (script_.done()) return 0;
      pending_ = nextLineBytes(script_, seq_, replyType_);
      if (pending_.empty()) return 0;
    }
    const std::size_t count = std::min(into.size(), pending_.size());
    std::copy_n(pending_.begin(), count, into.begin());
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
    return static_cast<long>(count);
  }

 private:
  Script& script_;
  Bytes pending_;
  std::uint8_t seq_ = 0;
  std::uint8_t replyType_ = 0;
};

inline constexpr wire::Op kOps[] = {
    wire::Op::Ping,     wire::Op::Command,   wire::Op::Packet,   wire::Op::FeatureBegin, wire::Op::FeatureChunk,
    wire::Op::WaitData, wire::Op::WriteData, wire::Op::ReadData, wire::Op::WriteEeprom,  wire::Op::ReadEeprom,
    wire::Op::ReadMcu,  wire::Op::PowerOn,   wire::Op::PowerOff, wire::Op::GetStatus,    wire::Op::HardwareTest,
};

// Host end: requests one after another, each reading what the script sends back.
inline void wireHostTarget(ByteView input) {
  Script script(input);
  ScriptedTransport transport(script);
  wire::Client client(transport);
  while (!script.done()) {
    const wire::Op op = kOps[script.byte() % std::size(kOps)];
    Bytes data;
    const wire::Outcome outcome = client.transact(op, {}, std::chrono::milliseconds(0), &data);
    requireWire(outcome != wire::Outcome::LineError);
    if (outcome == wire::Outcome::Ok) requireWire(data.size() < wire::kMaxPayload);
  }
}

inline std::unique_ptr<sim::Emulator> fuzzEmulator(std::uint8_t choice) {
  auto emulator = std::make_unique<sim::Emulator>(std::make_shared<sim::ManualClock>());
  static constexpr const char* kVersions[] = {sim::Emulator::kDefaultVersion, "KT90DB V5.2", "KT90PRO V1 S"};
  emulator->setVersionText(kVersions[choice % std::size(kVersions)]);
  return emulator;
}

// Every reply is one well-formed frame answering its request.
inline void requireReplyTo(const wire::Frame& request, ByteView reply) {
  wire::FrameDecoder decoder;
  decoder.feed(reply);
  const auto frame = decoder.next();
  requireWire(frame.has_value() && !decoder.next());
  requireWire(frame->seq == request.seq && frame->type == (request.type | wire::kReplyBit));
  requireWire(!frame->payload.empty() && frame->payload[0] <= static_cast<std::uint8_t>(wire::Status::UnknownOp));
}

// Programmer end: the request loop of the emulator's server, pieces fed as they arrive.
inline void wireDeviceTarget(ByteView input) {
  Script script(input);
  const auto emulator = fuzzEmulator(script.byte());
  sim::RequestHandler handler(*emulator);
  wire::FrameDecoder decoder;
  Bytes reply;
  forEachPiece(script, [&](const Bytes& piece) {
    decoder.feed(piece);
    while (auto request = decoder.next()) {
      reply.clear();
      if (handler.handle(*request, reply)) requireReplyTo(*request, reply);
      if (emulator->disconnected()) return;
    }
  });
}

// The request handler directly: [config] then per request [op][length u8, 0xFF: u16][payload].
// Op bytes below 0x80 pick a known request; others go as they are.
inline void simRequestsTarget(ByteView input) {
  Script script(input);
  const auto emulator = fuzzEmulator(script.byte());
  sim::RequestHandler handler(*emulator);
  std::uint8_t seq = 0;
  Bytes reply;
  while (!script.done()) {
    const std::uint8_t opByte = script.byte();
    const std::uint8_t type = opByte < 0x80 ? static_cast<std::uint8_t>(kOps[opByte % std::size(kOps)]) : opByte;
    std::size_t length = script.byte();
    if (length == 0xFF) length = script.byte() | (std::size_t{script.byte()} << 8);
    const ByteView payload = script.bytes(std::min(length, wire::kMaxPayload));
    const wire::Frame request{++seq, type, Bytes(payload.begin(), payload.end())};
    reply.clear();
    if (!handler.handle(request, reply)) {
      requireWire((type & wire::kReplyBit) != 0);
      continue;
    }
    requireReplyTo(request, reply);
    // A read that succeeds gives exactly what was asked.
    const auto op = static_cast<wire::Op>(type);
    if ((op == wire::Op::ReadData || op == wire::Op::ReadEeprom) && payload.size() == 6 &&
        reply[wire::kHeaderSize] == 0) {
      requireWire(reply.size() == wire::kOverhead + 1 + readU16(payload.data() + 4));
    }
  }
}

struct WireTarget {
  std::string_view name;  // also the corpus folder
  void (*run)(ByteView);
};

inline constexpr WireTarget kWireTargets[] = {
    {"wire_host", wireHostTarget},
    {"wire_device", wireDeviceTarget},
    {"sim_requests", simRequestsTarget},
};

}  // namespace kt90::fuzz
