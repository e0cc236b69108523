#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "wire/Client.h"

namespace kt90::wire {
namespace {

using namespace std::chrono_literals;

// A line whose far end is a script: every frame written may queue bytes to be read.
class ScriptedLine : public Transport {
 public:
  std::function<void(const Frame&, std::deque<Bytes>&)> peer;
  std::vector<Frame> sent;
  std::deque<Bytes> incoming;
  bool broken = false;

  bool open(const std::string&) override { return open_ = true; }
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  bool write(ByteView bytes, Deadline) override {
    FrameDecoder d;
    d.feed(bytes);
    while (auto f = d.next()) {
      sent.push_back(*f);
      if (peer) peer(*f, incoming);
    }
    return true;
  }
  long read(std::span<std::uint8_t> into, Deadline) override {
    if (broken) return -1;
    if (incoming.empty()) return 0;  // the deadline passed with nothing
    if (incoming.front().empty()) {  // silence until this read's deadline
      incoming.pop_front();
      return 0;
    }
    Bytes& chunk = incoming.front();
    const std::size_t n = std::min(chunk.size(), into.size());
    std::copy_n(chunk.begin(), n, into.begin());
    chunk.erase(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
    if (chunk.empty()) incoming.pop_front();
    return static_cast<long>(n);
  }

 private:
  bool open_ = true;
};

Bytes reply(const Frame& request, std::uint8_t seq, Status status, Bytes data = {}) {
  Bytes payload{static_cast<std::uint8_t>(status)};
  appendBytes(payload, data);
  return encodeFrame({seq, static_cast<std::uint8_t>(request.type | kReplyBit), payload});
}

TEST(Client, MatchesRepliesBySequenceAndDropsStaleOnes) {
  ScriptedLine line;
  // The far end first answers an older request late, then this one, in pieces with noise.
  line.peer = [](const Frame& req, std::deque<Bytes>& in) {
    in.push_back(reply(req, static_cast<std::uint8_t>(req.seq - 1), Status::Ok, {0xEE}));
    Bytes good = reply(req, req.seq, Status::Ok, {0x01, 0x02});
    in.push_back({0x00, 0x17});
    in.push_back(Bytes(good.begin(), good.begin() + 5));
    in.push_back(Bytes(good.begin() + 5, good.end()));
  };
  Client client(line);
  Bytes data;
  EXPECT_EQ(client.transact(Op::ReadData, Bytes{1, 2, 3}, 100ms, &data), Outcome::Ok);
  EXPECT_EQ(data, (Bytes{0x01, 0x02}));
  EXPECT_EQ(client.staleReplies(), 1u);
  ASSERT_EQ(line.sent.size(), 1u);
  EXPECT_EQ(line.sent[0].type, static_cast<std::uint8_t>(Op::ReadData));
  EXPECT_EQ(line.sent[0].payload, (Bytes{1, 2, 3}));

  // Sequence numbers advance per request, so a reply to the next one is told apart.
  EXPECT_EQ(client.transact(Op::ReadData, {}, 100ms, &data), Outcome::Ok);
  EXPECT_EQ(line.sent[1].seq, static_cast<std::uint8_t>(line.sent[0].seq + 1));
}

TEST(Client, MismatchedReplyIsATimeoutAndNothingIsSentTwice) {
  ScriptedLine line;
  line.peer = [](const Frame& req, std::deque<Bytes>& in) {
    in.push_back(reply(req, static_cast<std::uint8_t>(req.seq + 5), Status::Ok));  // wrong sequence
    Frame other = req;
    other.type = static_cast<std::uint8_t>(Op::Ping);
    in.push_back(reply(other, req.seq, Status::Ok));  // right sequence, wrong request type
  };
  Client client(line);
  EXPECT_EQ(client.transact(Op::Command, Bytes{0x17}, 50ms), Outcome::Timeout);
  EXPECT_EQ(line.sent.size(), 1u);
  EXPECT_EQ(client.staleReplies(), 2u);
}

TEST(Client, ResynchronisesAfterAnIdleGap) {
  const Bytes cut = encodeFrame({1, 0x82, Bytes(40, 0x11)});
  const Bytes big = encodeFrame({1, 0x82, Bytes(kMaxPayload, 0x22)});
  const std::pair<const char*, Bytes> junk[] = {
      {"cut reply", Bytes(cut.begin(), cut.end() - 3)},
      {"false header announcing 4096 bytes", Bytes(big.begin(), big.begin() + kHeaderSize)},
  };
  for (const auto& [name, bytes] : junk) {
    ScriptedLine line;
    Client client(line);
    // Junk, the line silent for the idle gap, then the reply.
    line.peer = [&bytes](const Frame& req, std::deque<Bytes>& in) {
      in.insert(in.end(), {bytes, Bytes{}, reply(req, req.seq, Status::Ok)});
    };
    EXPECT_EQ(client.transact(Op::Command, Bytes{0x17}, 100ms), Outcome::Ok) << name;
    // Junk left over from a request that timed out is not taken into the next reply.
    line.peer = [&bytes](const Frame&, std::deque<Bytes>& in) { in.push_back(bytes); };
    EXPECT_EQ(client.transact(Op::Command, Bytes{0x17}, 10ms), Outcome::Timeout) << name;
    line.peer = [](const Frame& req, std::deque<Bytes>& in) { in.push_back(reply(req, req.seq, Status::Ok)); };
    EXPECT_EQ(client.transact(Op::Command, Bytes{0x17}, 10ms), Outcome::Ok) << name;
  }
}

TEST(Client, RefusalsBrokenAndClosedLines) {
  ScriptedLine line;
  line.peer = [](const Frame& req, std::deque<Bytes>& in) { in.push_back(reply(req, req.seq, Status::Refused)); };
  Client client(line);
  EXPECT_EQ(client.transact(Op::Command, Bytes{0x99}, 50ms), Outcome::Refused);

  line.peer = [](const Frame& req, std::deque<Bytes>& in) { in.push_back(encodeFrame({req.seq, 0x82, {}})); };
  EXPECT_EQ(client.transact(Op::Command, Bytes{0x17}, 50ms), Outcome::Refused);  // empty reply: no status

  line.peer = nullptr;
  line.broken = true;
  EXPECT_EQ(client.transact(Op::Ping, {}, 50ms), Outcome::LineError);

  line.close();
  const std::size_t sent = line.sent.size();
  EXPECT_EQ(client.transact(Op::Ping, {}, 50ms), Outcome::LineError);
  EXPECT_EQ(line.sent.size(), sent);
}

}  // namespace
}  // namespace kt90::wire
