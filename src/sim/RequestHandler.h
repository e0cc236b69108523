#pragma once
#include "core/base/Bytes.h"
#include "sim/Emulator.h"
#include "wire/Frame.h"
#include "wire/Protocol.h"

namespace kt90::sim {

// The programmer's end of the protocol: one request frame in, its reply frame out.
class RequestHandler {
 public:
  explicit RequestHandler(Emulator& emulator) : emulator_(emulator) {}

  // Appends the encoded reply to `out`. Returns false when the programmer leaves the
  // request unanswered (its fault switches); a WaitData request may block until its wait
  // ends, as on the device.
  bool handle(const wire::Frame& request, Bytes& out);

 private:
  // The reply payload; the first byte is the status.
  Bytes answer(wire::Op op, ByteView payload);
  Emulator& emulator_;
};

}  // namespace kt90::sim
