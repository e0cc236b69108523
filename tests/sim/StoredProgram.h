#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "core/base/Bytes.h"
#include "core/progfile/Crc16.h"
#include "core/progfile/FileHead.h"
#include "core/programmer/StorageMap.h"

namespace kt90::testing {

// A program as a download leaves it in the programmer's storage, with a valid signature
// and file checksum, for tests that need the programmer to program a chip.
struct StoredProgram {
  std::uint8_t flags = headflag::kVerify | headflag::kProgram | headflag::kBlank;
  std::uint32_t programLimit = 0;
  std::vector<std::uint16_t> code;  // a multiple of 16 words
  std::array<std::uint16_t, 16> options{};
  std::uint16_t optionMask = 0x0001;
  std::array<std::uint8_t, 4> calibrationHeader{};
  std::vector<std::array<std::uint8_t, 12>> calibration;  // count = header byte 0
  Bytes rolCode;                                          // stored length; rolling code on when set
  // ChipID and ChipID2 with their chip word addresses, as the ConfigBlock holds them.
  std::array<std::pair<std::uint8_t, std::uint16_t>, 2> chipIds{};

  // Sets a rolling code of `length` serial bytes starting at `start` (little-endian),
  // written as MOVLW at `addresses`, advanced by `step`.
  void setRolling(std::vector<std::uint8_t> start, std::vector<std::uint16_t> addresses, std::uint8_t step) {
    const std::size_t l = start.size();
    rolCode.assign(4 * l + 2, 0);
    rolCode[0] = static_cast<std::uint8_t>(l - 1);
    for (std::size_t i = 0; i < l; ++i) {
      rolCode[1 + 2 * i] = start[i];
      rolCode[2 + 2 * i] = 4;
      writeU16(&rolCode[1 + 2 * l + 2 * i], addresses[i]);
    }
    rolCode[1 + 4 * l] = step;
    flags |= headflag::kRollingCode;
  }

  // The head, code and trailer from address 0, without gaps.
  Bytes programArea() const {
    Bytes head(32, 0);
    head[0] = flags;
    head[1] = 0x10;
    writeU16(&head[2], static_cast<std::uint16_t>(code.size()));
    writeU32(&head[4], programLimit);
    head[8] = 'T';
    for (int i = 0; i < 8; ++i) writeU16(&head[16 + 2 * i], options[i]);
    Bytes codeBytes;
    for (std::uint16_t w : code) appendU16(codeBytes, w);

    Bytes area = head;
    appendBytes(area, codeBytes);
    const std::uint16_t signature = Crc16().feed(ByteView(&head[16], 16)).feed(codeBytes).value();
    appendU16(area, signature);
    appendBytes(area, calibrationHeader);
    for (const auto& entry : calibration) appendBytes(area, entry);
    area.resize(area.size() + 10, 0);  // open/short record
    appendBytes(area, rolCode);
    appendU16(area, crc16(area));
    return area;
  }

  Bytes configBlock() const {
    Bytes block(32, 0);
    for (int i = 8; i < 16; ++i) writeU16(&block[2 * (i - 8)], options[i]);
    writeU16(&block[16], optionMask);
    block[29] = chipIds[0].first;
    writeU16(&block[30], chipIds[0].second);
    block[26] = chipIds[1].first;
    writeU16(&block[27], chipIds[1].second);
    return block;
  }

  // Hands every 32-byte piece to `write`; false as soon as one write fails.
  bool writeTo(const std::function<bool(std::uint32_t, ByteView)>& write) const {
    auto pieces = [&](std::uint32_t address, const Bytes& bytes) {
      for (std::size_t at = 0; at < bytes.size(); at += storage::kBlockSize) {
        const std::size_t n = std::min<std::size_t>(storage::kBlockSize, bytes.size() - at);
        if (!write(address + static_cast<std::uint32_t>(at), ByteView(bytes.data() + at, n))) return false;
      }
      return true;
    };
    return pieces(storage::kHead, programArea()) && pieces(storage::kConfigBlock, configBlock());
  }
};

}  // namespace kt90::testing
