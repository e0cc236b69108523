#include "InProcessOps.h"
#include "sim/StoredProgram.h"

namespace kt90::testing {
namespace {

// A program stored by a download, then altered in the programmer: every refusal leaves the
// working state's image exactly as it was.
class Upload : public InProcessOps {
 protected:
  void SetUp() override {
    start();
    fillProgram(*state, 31);
    ASSERT_EQ(run(DeviceOperation::Download).finalState, OperationState::Passed);
    fillProgram(*state, 32);  // the working image now differs from the stored one
    before = state->image();
  }
  void expectRefused(const std::string& lastLine) {
    EXPECT_EQ(run(DeviceOperation::Upload).finalState, OperationState::Failed);
    EXPECT_EQ(host.log.back(), lastLine);
    EXPECT_TRUE(state->image() == before);
    EXPECT_TRUE(tracker->closedEveryTime());
  }
  static constexpr std::uint32_t kTrailer = 0x20 + 2 * 0x800;
  ProgramImage before;
};

TEST_F(Upload, ProtectedProgramIsRefused) {
  writeU32(&storage()[4], 10);
  expectRefused(msg(TextId::UploadProtected));
}

TEST_F(Upload, HeadsWhoseCodeTheBufferCannotHoldAreDamaged) {
  for (std::uint16_t words : {0x2001, 0x8010, 0xFFF0}) {
    writeU16(&storage()[2], words);
    expectRefused(msg(TextId::UploadHeadDamaged));
  }
  // A head of 32,768 words, the whole code buffer, passes the head check and is read whole;
  // its head names a chip without a definition ("T"), so the working state keeps its chip
  // and program instead of showing the code under another chip's definition.
  StoredProgram big;
  for (std::uint32_t n = 0; n < ProgramImage::kMaxCodeWords; ++n) big.code.push_back(static_cast<std::uint16_t>(n * 5));
  const Bytes area = big.programArea();
  std::copy(area.begin(), area.end(), storage().begin());
  const std::string model = state->chipModelName();
  EXPECT_EQ(run(DeviceOperation::Upload).finalState, OperationState::Failed);
  EXPECT_TRUE(host.logHas(msg(TextId::UploadCodeDone)));
  EXPECT_TRUE(state->image() == before);
  EXPECT_EQ(state->chipModelName(), model);
}

TEST_F(Upload, AlteredCodeFailsTheSignature) {
  const std::uint16_t stored = readU16(&storage()[kTrailer]);
  storage()[0x20] ^= 0x01;
  ProgramImage altered;
  std::copy(storage().begin(), storage().begin() + 32, altered.head.bytes.begin());
  std::copy(storage().begin() + 0x20, storage().begin() + kTrailer, altered.code().begin());
  expectRefused(msg(TextId::UploadSignatureMismatch, static_cast<unsigned>(stored),
                    static_cast<unsigned>(chipSignature(altered))));
}

TEST_F(Upload, CalibrationCountAboveEightIsRefused) {
  storage()[kTrailer + 2] = 9;
  expectRefused(msg(TextId::CalibrationCountTooLarge, 9u));
}

TEST_F(Upload, AlteredTrailerFailsTheFileChecksum) {
  storage()[kTrailer + 6 + 12 * storage()[kTrailer + 2]] ^= 0x40;  // an OpenShort byte
  EXPECT_EQ(run(DeviceOperation::Upload).finalState, OperationState::Failed);
  EXPECT_TRUE(host.log.back().rfind("file checksum failed, read=0x", 0) == 0);
  EXPECT_TRUE(state->image() == before);
}

TEST_F(Upload, OldHeadVersionKeepsTheConfigBlock) {
  state->image().head.setVersion(0x1F);
  ASSERT_EQ(run(DeviceOperation::Download).finalState, OperationState::Passed);
  std::fill(storage().begin() + 0x4FDE, storage().begin() + 0x4FDE + 32, 0x5A);
  ASSERT_EQ(run(DeviceOperation::Upload).finalState, OperationState::Ready);
  EXPECT_NE(state->image().config.bytes[4], 0x5A);
  EXPECT_EQ(state->image().head.programLimit(), 0u);
  EXPECT_EQ(state->image().protection, before.protection);
  EXPECT_TRUE(state->fileName().empty());
}

}  // namespace
}  // namespace kt90::testing
