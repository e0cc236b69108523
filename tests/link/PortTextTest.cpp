#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "link/DeviceLinks.h"
#include "link/PortList.h"
#include "link/PortText.h"
#include "link/UsbIds.h"

namespace kt90::link {
namespace {

TEST(PortText, EntryTextGivesTheComPortOrTheNameButNeverASilentZero) {
  const PortChoice usb = portFromEntryText("USB 串行设备 (COM12)");
  EXPECT_EQ(usb.portName, "COM12");
  EXPECT_EQ(usb.number, 12u);
  EXPECT_EQ(portFromEntryText("STMicroelectronics Virtual COM Port (COM3)").number, 3u);
  EXPECT_EQ(portFromEntryText("KT90 (COM255)").number, 255u);

  // 260 does not fit a port number: the port is opened by its name, not as COM4.
  const PortChoice big = portFromEntryText("KT90 (COM260)");
  EXPECT_EQ(big.portName, "COM260");
  EXPECT_FALSE(big.number);

  const PortChoice byName = portFromEntryText("KT90 Programmer (ttyACM0)");
  EXPECT_EQ(byName.portName, "ttyACM0");
  EXPECT_FALSE(byName.number);

  const PortChoice noDigits = portFromEntryText("KT90 (COM)");
  EXPECT_EQ(noDigits.portName, "COM");
  EXPECT_FALSE(noDigits.number);

  const PortChoice nothing = portFromEntryText("KT90");
  EXPECT_EQ(nothing.portName, "");
  EXPECT_FALSE(nothing.number);
}

TEST(PortText, OnlyPortsWithAnAcceptedNameOrTheProgrammersIdsAreOffered) {
  EXPECT_EQ(friendlyPortName("KT90 Programmer", "COM7"), "KT90 Programmer (COM7)");
  std::vector<SerialPortEntry> ports = {
      {"STMicroelectronics Virtual COM Port", "COM3", "\\\\.\\COM3"},
      {"Communications Port", "COM1", "\\\\.\\COM1"},
      {"USB 串行设备", "COM12", "\\\\.\\COM12"},
      {"kt90 lower case", "COM5", "\\\\.\\COM5"},
      {"Board", "KT90x", "/dev/KT90x"},  // the port name is part of the friendly name
      {"CDC ACM", "ttyACM0", "/dev/ttyACM0", kKt90UsbVendorId, kKt90UsbProductId},
      {"CDC ACM", "ttyACM1", "/dev/ttyACM1", kKt90UsbVendorId, 0x0001},  // another product
      {"CDC ACM", "ttyACM3", "/dev/ttyACM3", 0x0483, 0x5740},            // named by the rule's link
  };
  // The rule's links: one to a listed port, one to a port the platform did not list.
  markKt90Links(ports, {"/dev/ttyACM3", "/dev/ttyACM4", "/dev/pts/5"});
  std::vector<std::string> names;
  for (const SerialPortEntry& port : acceptedPorts(ports)) names.push_back(port.friendlyName());
  EXPECT_EQ(names, (std::vector<std::string>{"STMicroelectronics Virtual COM Port (COM3)", "USB 串行设备 (COM12)",
                                             "Board (KT90x)", "KT90 (ttyACM0)", "KT90 (ttyACM3)", "KT90 (ttyACM4)",
                                             "KT90 (pts/5)"}));
  EXPECT_EQ(ports.back().systemLocation, "/dev/pts/5");
  EXPECT_EQ(portFromEntryText("KT90 (ttyACM4)").portName, "ttyACM4");
  // The platform's list is there to be asked, whatever it holds on this machine.
  for (const SerialPortEntry& port : programmerPorts()) EXPECT_TRUE(isAcceptedPortText(port.friendlyName()));
}

TEST(PortText, TheRulesLinksNameTheirPorts) {
  const auto dir = std::filesystem::temp_directory_path() / ("kt90_links_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::filesystem::create_symlink("ttyACM2", dir / "kt90-0");
  std::filesystem::create_symlink("/dev/ttyACM7", dir / "kt90-1");
  std::filesystem::create_symlink("ttyS0", dir / "modem");
  std::ofstream(dir / "kt90-notalink");
  auto targets = kt90LinkTargets(dir);
  std::sort(targets.begin(), targets.end());
  EXPECT_EQ(targets, (std::vector<std::filesystem::path>{"/dev/ttyACM7", dir / "ttyACM2"}));
  EXPECT_TRUE(kt90LinkTargets(dir / "missing").empty());
  std::filesystem::remove_all(dir);
}

// The udev rule and the code know the programmer by the same USB ids.
TEST(PortText, TheUdevRuleMatchesTheIdsOfTheCode) {
  std::ifstream rules(std::string(KT90_TEST_DATA_DIR) + "/Driver/60-kt90.rules");
  ASSERT_TRUE(rules);
  const std::string text((std::istreambuf_iterator<char>(rules)), std::istreambuf_iterator<char>());
  char ids[96];
  std::snprintf(ids, sizeof ids, "ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\"", kKt90UsbVendorId,
                kKt90UsbProductId);
  EXPECT_NE(text.find(ids), std::string::npos) << ids;
  EXPECT_NE(text.find(std::string("SYMLINK+=\"") + kKt90DeviceLinkPrefix + "%n\""), std::string::npos);
}

}  // namespace
}  // namespace kt90::link
