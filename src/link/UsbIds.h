#pragma once
#include <cstdint>

namespace kt90::link {

// The USB ids the programmer reports. data/Driver/60-kt90.rules matches the same two
// numbers (a test holds them together).
inline constexpr std::uint16_t kKt90UsbVendorId = 0x1209;
inline constexpr std::uint16_t kKt90UsbProductId = 0x6B90;

// The names the udev rule gives the programmer's port: /dev/kt90-0, /dev/kt90-1, ...
inline constexpr const char* kKt90DeviceLinkPrefix = "kt90-";

// The text of a programmer's port-menu entry: "KT90 (ttyACM0)".
inline constexpr const char* kKt90PortDescription = "KT90";

}  // namespace kt90::link
