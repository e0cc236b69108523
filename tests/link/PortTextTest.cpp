#include <gtest/gtest.h>

#include "link/PortList.h"
#include "link/PortText.h"

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

TEST(PortText, OnlyPortsWithAnAcceptedNameAreOffered) {
  EXPECT_EQ(friendlyPortName("KT90 Programmer", "COM7"), "KT90 Programmer (COM7)");
  const std::vector<SerialPortEntry> ports = {
      {"STMicroelectronics Virtual COM Port", "COM3", "\\\\.\\COM3"},
      {"Communications Port", "COM1", "\\\\.\\COM1"},
      {"USB 串行设备", "COM12", "\\\\.\\COM12"},
      {"kt90 lower case", "COM5", "\\\\.\\COM5"},
      {"Board", "KT90x", "/dev/KT90x"},  // the port name is part of the friendly name
  };
  const std::vector<SerialPortEntry> accepted = acceptedPorts(ports);
  ASSERT_EQ(accepted.size(), 3u);
  EXPECT_EQ(accepted[0].portName, "COM3");
  EXPECT_EQ(accepted[1].portName, "COM12");
  EXPECT_EQ(accepted[2].portName, "KT90x");
  EXPECT_EQ(accepted[1].friendlyName(), "USB 串行设备 (COM12)");
  // The platform's list is there to be asked, whatever it holds on this machine.
  for (const SerialPortEntry& port : programmerPorts()) EXPECT_TRUE(isAcceptedPortText(port.friendlyName()));
}

}  // namespace
}  // namespace kt90::link
