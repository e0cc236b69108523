#include "sim/FirmwareBody.h"

#include <algorithm>

namespace kt90::sim {

namespace {

void appendHalf(Bytes& out, std::uint16_t instruction) { appendU16(out, instruction); }

// One small Thumb routine: computes a value and stores it into a peripheral register.
void appendRoutine(Bytes& out, unsigned k) {
  appendHalf(out, 0xB510);                                                  // push {r4, lr}
  appendHalf(out, static_cast<std::uint16_t>(0x2000 | ((k * 7) & 0xFF)));   // movs r0, #a
  appendHalf(out, static_cast<std::uint16_t>(0x2100 | ((k * 13) & 0xFF)));  // movs r1, #b
  appendHalf(out, 0x1840);                                                  // adds r0, r0, r1
  appendHalf(out, 0x4C01);                                                  // ldr r4, [pc, #4]
  appendHalf(out, 0x6020);                                                  // str r0, [r4]
  appendHalf(out, 0xBD10);                                                  // pop {r4, pc}
  appendHalf(out, 0xBF00);                                                  // nop (literal alignment)
  appendU32(out, 0x40010000u + (k % 16) * 0x400u);                          // register address
}

}  // namespace

Bytes makeFirmwareBody(const std::string& version, std::size_t bodySize) {
  constexpr std::uint32_t kBase = FirmwareImage::kLoadAddress + FirmwareImage::kHeaderSize;
  constexpr unsigned kVectors = 48;
  constexpr std::uint32_t kCode = kVectors * 4;
  constexpr std::uint32_t kDefaultHandler = kCode;  // "b ." right after the table
  constexpr std::uint32_t kReset = kCode + 4;

  Bytes body;
  appendU32(body, 0x20005000);  // initial stack pointer
  appendU32(body, (kBase + kReset) | 1);
  for (unsigned v = 2; v < kVectors; ++v) {
    const bool reserved = (v >= 7 && v <= 10) || v == 13;
    appendU32(body, reserved ? 0 : (kBase + kDefaultHandler) | 1);
  }
  appendHalf(body, 0xE7FE);  // default handler: b .
  appendHalf(body, 0xBF00);

  Bytes texts;
  for (const std::string& s : {std::string("KT90 application"), version, std::string("data storage"),
                               std::string("eeprom"), std::string("socket"), std::string("self-test")}) {
    texts.insert(texts.end(), s.begin(), s.end());
    texts.push_back(0);
  }
  while (texts.size() % 4 != 0) texts.push_back(0);

  const std::size_t codeEnd = bodySize > texts.size() ? bodySize - texts.size() : 0;
  for (unsigned k = 0; body.size() + 20 <= codeEnd; ++k) appendRoutine(body, k);
  body.resize(std::max(codeEnd, body.size()), 0xFF);  // erased flash up to the texts
  appendBytes(body, texts);
  return body;
}

}  // namespace kt90::sim
