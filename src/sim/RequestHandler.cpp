#include "sim/RequestHandler.h"

#include "core/programmer/Commands.h"
#include "wire/Protocol.h"

namespace kt90::sim {

namespace {

using wire::Op;
using wire::Status;

Bytes status(Status s) { return Bytes{static_cast<std::uint8_t>(s)}; }
Bytes okOr(bool ok) { return status(ok ? Status::Ok : Status::Refused); }
Bytes withData(const std::optional<Bytes>& data) {
  if (!data) return status(Status::Refused);
  Bytes reply = status(Status::Ok);
  appendBytes(reply, *data);
  return reply;
}

}  // namespace

Bytes RequestHandler::answer(Op op, ByteView p) {
  const Bytes malformed = status(Status::Malformed);
  switch (op) {
    case Op::Ping:
      return Bytes{static_cast<std::uint8_t>(Status::Ok), wire::kProtocolVersion};
    case Op::Command:
      return p.size() == 1 ? okOr(emulator_.command(p[0])) : malformed;
    case Op::Packet:
      return okOr(emulator_.packet(p));
    case Op::FeatureBegin:
      return p.size() == 2 ? okOr(emulator_.featureBegin(readU16(p.data()))) : malformed;
    case Op::FeatureChunk:
      return p.size() > 2 ? okOr(emulator_.featureChunk(readU16(p.data()), p.subspan(2))) : malformed;
    case Op::WaitData: {
      if (p.size() != 6 || readU16(p.data()) > wire::kMaxWaitData) return malformed;
      const auto deadline = emulator_.clock().now() + std::chrono::milliseconds(readU32(p.data() + 2));
      return withData(emulator_.waitOutput(readU16(p.data()), deadline));
    }
    case Op::WriteData:
      return p.size() > 4 ? okOr(emulator_.writeData(readU32(p.data()), p.subspan(4))) : malformed;
    case Op::ReadData:
      return p.size() == 6 ? withData(emulator_.readData(readU32(p.data()), readU16(p.data() + 4))) : malformed;
    case Op::WriteEeprom:
      return p.size() > 4 ? okOr(emulator_.writeEeprom(readU32(p.data()), p.subspan(4))) : malformed;
    case Op::ReadEeprom:
      return p.size() == 6 ? withData(emulator_.readEeprom(readU32(p.data()), readU16(p.data() + 4))) : malformed;
    case Op::ReadMcu:
      return p.size() == 6 ? withData(emulator_.readMcu(readU32(p.data()), readU16(p.data() + 4))) : malformed;
    case Op::PowerOn:
      return p.size() == kPowerKeySize ? okOr(emulator_.powerOn(p)) : malformed;
    case Op::PowerOff:
      return p.empty() ? okOr(emulator_.powerOff()) : malformed;
    case Op::GetStatus:
      return p.empty() ? withData(Bytes{static_cast<std::uint8_t>(emulator_.chipReady() ? 1 : 0)}) : malformed;
    case Op::HardwareTest: {
      if (p.size() != 4) return malformed;
      Bytes failed;
      appendU32(failed, emulator_.hardwareTest(readU32(p.data())));
      return withData(failed);
    }
  }
  return status(Status::UnknownOp);
}

bool RequestHandler::handle(const wire::Frame& request, Bytes& out) {
  if (request.type & wire::kReplyBit) return false;  // a reply echoed back is not a request
  if (!emulator_.beginTransfer()) return false;
  const Bytes reply = answer(static_cast<Op>(request.type), request.payload);
  wire::encodeFrameInto(out, request.seq, static_cast<std::uint8_t>(request.type | wire::kReplyBit), reply);
  return true;
}

}  // namespace kt90::sim
