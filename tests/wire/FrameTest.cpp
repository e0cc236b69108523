#include <gtest/gtest.h>

#include "wire/Frame.h"

namespace kt90::wire {
namespace {

Frame sample(std::uint8_t seq, std::size_t size) {
  Frame f{seq, 0x11, {}};
  for (std::size_t i = 0; i < size; ++i) f.payload.push_back(static_cast<std::uint8_t>(i * 7 + seq));
  return f;
}

std::vector<Frame> drain(FrameDecoder& d) {
  std::vector<Frame> frames;
  while (auto f = d.next()) frames.push_back(*f);
  return frames;
}

TEST(Frame, LayoutAndRoundTripInAnyPieces) {
  const Frame f = sample(9, 5);
  const Bytes bytes = encodeFrame(f);
  ASSERT_EQ(bytes.size(), kOverhead + 5);
  EXPECT_EQ(bytes[0], 0xA5);
  EXPECT_EQ(bytes[1], 0x5A);
  EXPECT_EQ(bytes[2], 9);
  EXPECT_EQ(bytes[3], 0x11);
  EXPECT_EQ(readU16(&bytes[4]), 5);

  // Whole, byte by byte, and two frames in one piece all decode the same.
  FrameDecoder whole;
  whole.feed(bytes);
  EXPECT_EQ(drain(whole), std::vector<Frame>{f});

  FrameDecoder bytewise;
  std::vector<Frame> got;
  for (std::uint8_t b : bytes) {
    bytewise.feed(ByteView(&b, 1));
    for (auto& fr : drain(bytewise)) got.push_back(fr);
  }
  EXPECT_EQ(got, std::vector<Frame>{f});

  Bytes two = encodeFrame(sample(1, 0));
  appendBytes(two, encodeFrame(sample(2, kMaxPayload)));
  FrameDecoder pair;
  pair.feed(two);
  EXPECT_EQ(drain(pair), (std::vector<Frame>{sample(1, 0), sample(2, kMaxPayload)}));
  EXPECT_EQ(pair.buffered(), 0u);

  EXPECT_TRUE(encodeFrame(sample(3, kMaxPayload + 1)).empty());
}

TEST(Frame, ResyncsAfterGarbageAndDamagedFrames) {
  const Frame good = sample(4, 12);
  Bytes line = {0x00, 0xA5, 0x13, 0xA5, 0x5A, 0xFF};  // noise with false starts
  Bytes damaged = encodeFrame(sample(5, 12));
  damaged[kHeaderSize + 3] ^= 0x01;  // payload bit flipped: CRC fails
  appendBytes(line, damaged);
  Bytes badHeader = encodeFrame(sample(6, 3));
  badHeader[4] = 0x40;  // length changed: header check fails before the length is believed
  appendBytes(line, badHeader);
  appendBytes(line, encodeFrame(good));

  FrameDecoder d;
  d.feed(line);
  EXPECT_EQ(drain(d), std::vector<Frame>{good});
  EXPECT_EQ(d.droppedBytes(), line.size() - encodeFrame(good).size());
}

TEST(Frame, TruncatedFrameWaitsThenYieldsToTheNextGoodOne) {
  const Bytes first = encodeFrame(sample(7, 40));
  FrameDecoder d;
  d.feed(ByteView(first.data(), first.size() - 3));
  EXPECT_FALSE(d.next());  // incomplete: nothing yet, nothing lost
  EXPECT_EQ(d.buffered(), first.size() - 3);

  // The rest never comes; the next frame is found after the cut one is given up.
  const Frame second = sample(8, 2);
  Bytes more = encodeFrame(second);
  more.resize(more.size() + 40, 0x00);  // filler so the cut frame's length is covered
  d.feed(more);
  EXPECT_EQ(drain(d), std::vector<Frame>{second});

  d.reset();
  EXPECT_EQ(d.buffered(), 0u);
}

TEST(Frame, OversizedLengthIsNotWaitedFor) {
  Bytes bogus = {kSync0, kSync1, 1, 2, 0xFF, 0xFF, 0};
  bogus[6] = static_cast<std::uint8_t>(0);
  const Frame good = sample(1, 1);
  appendBytes(bogus, encodeFrame(good));
  FrameDecoder d;
  d.feed(bogus);
  EXPECT_EQ(drain(d), std::vector<Frame>{good});
}

// What a line may carry before a good frame, and must not cost that frame once the line
// was idle for kIdleGap.
std::vector<std::pair<const char*, Bytes>> lineJunk() {
  const Bytes cut = encodeFrame(sample(7, 40));
  const Bytes big = encodeFrame(sample(9, kMaxPayload));
  return {
      {"noise", {0x00, 0xA5, 0x13, 0xA5, 0x5A, 0x01}},
      {"cut frame", Bytes(cut.begin(), cut.end() - 3)},
      {"false header announcing 4096 bytes", Bytes(big.begin(), big.begin() + kHeaderSize + 5)},
  };
}

TEST(Frame, PartialFrameIsGivenUpAfterTheIdleGap) {
  const Frame good = sample(3, 20);
  for (const auto& [name, junk] : lineJunk()) {
    FrameDecoder d;
    d.feed(junk);
    EXPECT_FALSE(d.next()) << name;
    d.idleGapPassed();
    d.feed(encodeFrame(good));
    EXPECT_EQ(drain(d), std::vector<Frame>{good}) << name;
    EXPECT_EQ(d.buffered(), 0u) << name;
  }
}

}  // namespace
}  // namespace kt90::wire
