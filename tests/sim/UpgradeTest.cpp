#include <gtest/gtest.h>

#include <filesystem>

#include "core/base/FileIo.h"
#include "core/programmer/Commands.h"
#include "core/programmer/StorageMap.h"
#include "sim/Emulator.h"
#include "sim/FirmwareBody.h"

namespace kt90::sim {
namespace {

Bytes image(const std::string& version, std::size_t body = 1000) {
  return encodeFirmwareImage({version, makeFirmwareBody(version, body)});
}

void placeImage(Emulator& e, const Bytes& bytes) {
  std::copy(bytes.begin(), bytes.end(), e.storage().begin() + storage::kFirmwareArea);
}

void writeRecord(std::uint8_t* at, std::uint32_t size) {
  writeU32(at, size);
  at[4] = storage::kUpgradeMarker;
}

TEST(FirmwareImage, RoundTripAndEveryCheck) {
  const Bytes bytes = image("KT90 V5.1", 2048);
  const auto parsed = parseFirmwareImage(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->version, "KT90 V5.1");
  EXPECT_EQ(parsed->body.size(), 2048u);
  EXPECT_EQ(readU32(parsed->body.data()), 0x20005000u);  // a vector table: stack pointer first

  for (std::size_t at : {std::size_t{0}, std::size_t{9}, std::size_t{20}, std::size_t{64}, bytes.size() - 1}) {
    Bytes damaged = bytes;
    damaged[at] ^= 0x04;
    EXPECT_FALSE(parseFirmwareImage(damaged)) << at;
  }
  EXPECT_FALSE(parseFirmwareImage(ByteView(bytes.data(), bytes.size() - 1)));
  EXPECT_FALSE(parseFirmwareImage({}));
  // The same version and size always give the same image.
  EXPECT_EQ(image("KT90 V5.1", 2048), bytes);
}

TEST(Upgrade, StandAloneTakesItsRecordFromEepromOnce) {
  Emulator e;
  const Bytes bytes = image("KT90 V5.1");
  placeImage(e, bytes);
  e.softReset();
  EXPECT_EQ(e.lastUpgrade(), UpgradeOutcome::None);

  writeRecord(e.eeprom().data() + eeprom::kUpgradeRecord, static_cast<std::uint32_t>(bytes.size()));
  ASSERT_TRUE(e.command(CMD_SoftReset));
  EXPECT_EQ(e.lastUpgrade(), UpgradeOutcome::Installed);
  EXPECT_EQ(e.versionText(), "KT90 V5.1");
  EXPECT_NE(e.eeprom()[eeprom::kUpgradeRecord + 4], storage::kUpgradeMarker);
  e.setVersionText("KT90 V5.0");
  e.softReset();
  EXPECT_EQ(e.versionText(), "KT90 V5.0");

  // A record in the storage is not this programmer's.
  writeRecord(e.storage().data() + storage::kUpgradeRecord, static_cast<std::uint32_t>(bytes.size()));
  e.softReset();
  EXPECT_EQ(e.lastUpgrade(), UpgradeOutcome::None);
}

TEST(Upgrade, DebuggerTakesItsRecordFromStorageAndRejectsBadImages) {
  Emulator e;
  e.setVersionText("KT90 DB V4.0");
  EXPECT_TRUE(e.upgradeRecordInStorage());
  Bytes bytes = image("KT90 DB V4.1");
  placeImage(e, bytes);
  std::uint8_t* record = e.storage().data() + storage::kUpgradeRecord;

  writeRecord(record, static_cast<std::uint32_t>(bytes.size() - 1));  // size does not match
  e.softReset();
  EXPECT_EQ(e.lastUpgrade(), UpgradeOutcome::Rejected);
  EXPECT_EQ(e.versionText(), "KT90 DB V4.0");

  writeRecord(record, 0);  // an empty image file
  e.softReset();
  EXPECT_EQ(e.lastUpgrade(), UpgradeOutcome::Rejected);

  writeRecord(record, 0xFFFFFFFFu);  // beyond the area
  e.softReset();
  EXPECT_EQ(e.lastUpgrade(), UpgradeOutcome::Rejected);

  writeRecord(record, static_cast<std::uint32_t>(bytes.size()));
  e.softReset();
  EXPECT_EQ(e.lastUpgrade(), UpgradeOutcome::Installed);
  EXPECT_EQ(e.versionText(), "KT90 DB V4.1");

  e.setVersionText("KT90 DBGPRO V1");  // debugger type, but its record is in EEPROM
  EXPECT_TRUE(e.isDebuggerType());
  EXPECT_FALSE(e.upgradeRecordInStorage());
}

}  // namespace
}  // namespace kt90::sim

namespace kt90::sim {
namespace {

// The images shipped in Firmware/ are ones the start-up code installs.
TEST(FirmwareImage, ShippedImagesAreValid) {
  const std::pair<const char*, const char*> shipped[] = {
      {"KT90_5_0.bin", "KT90 V5.1"}, {"KT90_4_0.bin", "KT90 V4.1"}, {"DBG4V0_APP.bin", "KT90DB V5.2"}};
  for (const auto& [name, version] : shipped) {
    const auto bytes = readWholeFile(std::filesystem::path(KT90_TEST_DATA_DIR) / "Firmware" / name);
    ASSERT_TRUE(bytes) << name;
    EXPECT_LE(bytes->size(), storage::kUpgradeRecord - storage::kFirmwareArea) << name;
    const auto image = parseFirmwareImage(*bytes);
    ASSERT_TRUE(image) << name;
    EXPECT_EQ(image->version, version);
  }
}

}  // namespace
}  // namespace kt90::sim
