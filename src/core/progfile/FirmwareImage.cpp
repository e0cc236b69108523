#include "core/progfile/FirmwareImage.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/progfile/Crc16.h"

namespace kt90 {

namespace {

constexpr std::uint8_t kMagic[4] = {'K', 'T', 'F', 'W'};
constexpr std::uint16_t kFormat = 1;

std::uint16_t headerCrc(const std::uint8_t* header) {
  return Crc16().feed(ByteView(header, 14)).feed(ByteView(header + 16, FirmwareImage::kHeaderSize - 16)).value();
}

}  // namespace

std::optional<FirmwareImage> parseFirmwareImage(ByteView bytes) {
  if (bytes.size() < FirmwareImage::kHeaderSize) return std::nullopt;
  const std::uint8_t* h = bytes.data();
  if (std::memcmp(h, kMagic, 4) != 0) return std::nullopt;
  if (readU16(h + 4) != FirmwareImage::kHeaderSize || readU16(h + 6) != kFormat) return std::nullopt;
  if (readU32(h + 8) != bytes.size()) return std::nullopt;
  if (readU16(h + 14) != headerCrc(h)) return std::nullopt;
  const ByteView body = bytes.subspan(FirmwareImage::kHeaderSize);
  if (readU16(h + 12) != crc16(body)) return std::nullopt;
  const auto* text = h + 16;
  const auto* end = std::find(text, text + FirmwareImage::kVersionSize, 0);
  if (end == text + FirmwareImage::kVersionSize) return std::nullopt;
  return FirmwareImage{std::string(text, end), Bytes(body.begin(), body.end())};
}

Bytes encodeFirmwareImage(const FirmwareImage& image) {
  Bytes out(FirmwareImage::kHeaderSize, 0);
  std::memcpy(out.data(), kMagic, 4);
  writeU16(&out[4], FirmwareImage::kHeaderSize);
  writeU16(&out[6], kFormat);
  writeU32(&out[8], static_cast<std::uint32_t>(FirmwareImage::kHeaderSize + image.body.size()));
  writeU16(&out[12], crc16(image.body));
  const std::size_t textSize = std::min(image.version.size(), FirmwareImage::kVersionSize - 1);
  std::memcpy(&out[16], image.version.data(), textSize);
  writeU32(&out[48], FirmwareImage::kLoadAddress);
  writeU16(&out[14], headerCrc(out.data()));
  appendBytes(out, image.body);
  return out;
}

}  // namespace kt90
