#include <gtest/gtest.h>

#include <algorithm>

#include "wire/ComPortList.h"

namespace kt90::wire {
namespace {

// What the registry's names give: USB ids from a device key, the description of a
// friendly name, and the order of the list.
TEST(ComPortList, ReadsTheRegistrysNames) {
  using Ids = std::optional<std::pair<std::uint16_t, std::uint16_t>>;
  EXPECT_EQ(usbIdsFromDeviceKey("VID_1209&PID_6B90"), (Ids{{0x1209, 0x6B90}}));
  EXPECT_EQ(usbIdsFromDeviceKey("vid_0403&pid_6001&MI_00"), (Ids{{0x0403, 0x6001}}));
  EXPECT_EQ(usbIdsFromDeviceKey("ROOT_HUB30"), Ids{});
  EXPECT_EQ(usbIdsFromDeviceKey("VID_12G9&PID_6B90"), Ids{});
  EXPECT_EQ(usbIdsFromDeviceKey("VID_1209&PID_6B"), Ids{});

  EXPECT_EQ(withoutPortSuffix("USB Serial Device (COM5)", "COM5"), "USB Serial Device");
  EXPECT_EQ(withoutPortSuffix("USB 串行设备 (com12)", "COM12"), "USB 串行设备");
  EXPECT_EQ(withoutPortSuffix("USB Serial Device (COM5)", "COM6"), "USB Serial Device (COM5)");
  EXPECT_EQ(withoutPortSuffix(" (COM5)", "COM5"), " (COM5)");

  EXPECT_EQ(comPortPath("COM7"), "\\\\.\\COM7");
  EXPECT_EQ(comPortPath("com12"), "\\\\.\\COM12");
  EXPECT_EQ(comPortPath("\\\\.\\COM12"), "\\\\.\\COM12");
  EXPECT_EQ(comPortPath("COM"), "COM");
  EXPECT_EQ(comPortPath("COM1a"), "COM1a");
  EXPECT_EQ(comPortPath("CNCA0"), "CNCA0");

  std::vector<std::string> ports{"COM10", "CNCA0", "COM2", "com1", "COM9"};
  std::sort(ports.begin(), ports.end(), comPortBefore);
  EXPECT_EQ(ports, (std::vector<std::string>{"com1", "COM2", "COM9", "COM10", "CNCA0"}));
}

}  // namespace
}  // namespace kt90::wire
