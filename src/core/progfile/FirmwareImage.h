#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "core/base/Bytes.h"

namespace kt90 {

// Our firmware image, as shipped in Firmware/ and as the programmer's start-up code accepts it:
//   0  "KTFW"
//   4  u16 header size (64)      6  u16 format (1)
//   8  u32 image size, header included
//  12  u16 CRC-16 of everything after the header
//  14  u16 CRC-16 of header bytes 0-13 and 16-63
//  16  32 bytes version text, zero padded, at least one zero
//  48  u32 load address of the body   52  12 bytes 0
//  64  body
// The start-up code installs an image only when all of this holds.
struct FirmwareImage {
  static constexpr std::size_t kHeaderSize = 64;
  static constexpr std::size_t kVersionSize = 32;
  static constexpr std::uint32_t kLoadAddress = 0x08004000;

  std::string version;
  Bytes body;
};

std::optional<FirmwareImage> parseFirmwareImage(ByteView bytes);
Bytes encodeFirmwareImage(const FirmwareImage& image);

}  // namespace kt90
