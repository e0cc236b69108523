#include <gtest/gtest.h>

#include "core/programmer/Commands.h"
#include "sim/RequestHandler.h"

namespace kt90::sim {
namespace {

using wire::Op;
using wire::Status;

// The reply frame to one request, or nullopt when none is sent.
std::optional<wire::Frame> ask(RequestHandler& h, std::uint8_t type, Bytes payload, std::uint8_t seq = 7) {
  Bytes out;
  if (!h.handle({seq, type, std::move(payload)}, out)) return std::nullopt;
  wire::FrameDecoder d;
  d.feed(out);
  return d.next();
}

Status statusOf(const std::optional<wire::Frame>& f) { return static_cast<Status>(f->payload.at(0)); }

TEST(RequestHandler, AnswersWithTheSequenceAndRefusesMalformedRequests) {
  Emulator e;
  RequestHandler h(e);
  const auto ping = ask(h, 0x01, {}, 42);
  ASSERT_TRUE(ping);
  EXPECT_EQ(ping->seq, 42);
  EXPECT_EQ(ping->type, 0x81);
  EXPECT_EQ(ping->payload, (Bytes{0, wire::kProtocolVersion}));

  const Bytes write = {0x00, 0x50, 0, 0, 1, 2, 3};
  EXPECT_EQ(statusOf(ask(h, 0x10, write)), Status::Ok);
  const auto read = ask(h, 0x11, {0x00, 0x50, 0, 0, 3, 0});
  EXPECT_EQ(read->payload, (Bytes{0, 1, 2, 3}));

  struct Case {
    Op op;
    Bytes payload;
  };
  for (const Case& c : std::vector<Case>{{Op::Command, {}},
                                         {Op::Command, {1, 2}},
                                         {Op::FeatureBegin, {1}},
                                         {Op::FeatureChunk, {0, 0}},
                                         {Op::WaitData, {1, 0, 0}},
                                         {Op::WaitData, {0xFF, 0xFF, 0, 0, 0, 0}},
                                         {Op::WriteData, {0, 0, 0, 0}},
                                         {Op::ReadData, {0, 0, 0, 0, 1}},
                                         {Op::PowerOn, {0, 0, 0, 0}},
                                         {Op::PowerOff, {1}},
                                         {Op::GetStatus, {1}},
                                         {Op::HardwareTest, {1, 2, 3}}}) {
    EXPECT_EQ(statusOf(ask(h, static_cast<std::uint8_t>(c.op), c.payload)), Status::Malformed)
        << int(c.op) << " with " << c.payload.size() << " bytes";
  }
  EXPECT_EQ(statusOf(ask(h, 0x7F, {})), Status::UnknownOp);
  EXPECT_EQ(statusOf(ask(h, 0x11, {0, 0, 0, 0, 33, 0})), Status::Refused);  // longer than a block
  EXPECT_FALSE(ask(h, 0x81, {}));                                           // a reply is not answered
}

TEST(RequestHandler, SilentProgrammerSendsNothing) {
  Emulator e;
  e.faults.noReply = true;
  RequestHandler h(e);
  EXPECT_FALSE(ask(h, 0x01, {}));
  EXPECT_EQ(e.transfers(), 1u);
}

}  // namespace
}  // namespace kt90::sim
