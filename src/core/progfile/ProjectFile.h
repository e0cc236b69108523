#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "core/base/Bytes.h"
#include "core/base/Reporter.h"
#include "core/progfile/ProgramImage.h"
#include "core/progfile/ProjectScramble.h"
#include "core/text/Language.h"

namespace kt90 {

// The project file (".vk"): the whole program image as a sequence of blocks (head, code,
// Identity, calibration, open/short, rolling code, CheckSum, protection data when a
// program limit is set, ConfigBlock from version 0x20 on). These functions work on the
// payload; ProjectScramble.h turns a file of either form into its payload.

// Version bytes that mark the layouts.
inline constexpr std::uint8_t kProjectVersionCurrent = 0x10;  // 0x10-0x1F
inline constexpr std::uint8_t kProjectVersionConfig = 0x20;   // and above: ConfigBlock stored

// What Open learns from the head before it resets the image for the named chip.
struct ProjectHeadPreview {
  bool headRead = false;  // false: message 3 was logged
  FileHead head;
  std::optional<ConfigBlock> config;  // the last 32 bytes, for versions 0x20 and above
};
ProjectHeadPreview preReadProjectHead(ByteView payload, LanguageId language, Reporter& reporter);

struct ProjectReadResult {
  bool ok = false;
  // An old-layout file was read and its head converted; the caller applies the chip
  // definition for old files before the common end.
  bool oldLayoutConverted = false;
  // A FilePassword byte is not 0: the caller switches to Production mode.
  bool passwordFound = false;
};

// Fills `image`, which the caller has reset for the chip the head names, block by block,
// logging each problem (message 4, the old-layout notice, is an alert). A failed read may
// leave the image partly overwritten. Refused with a log line as soon as the count is
// read, before anything it counts is: CodeWords above 0x8000, more than 8 calibration
// entries, more than 100 U_IDs. The common end (chip lookup, definition refresh, mode
// switch) is the caller's.
ProjectReadResult readProject(ByteView payload, ProgramImage& image, LanguageId language, Reporter& reporter);

// The payload of `image`: every block that is present, with Identity and CheckSum
// computed now (which also updates the ConfigBlock). Block 9 is written whenever the
// program limit is not 0, so every payload reads back as written. Empty when the image
// cannot be stored: CodeWords above 0x8000, more than 8 calibration entries or more than
// 100 U_IDs (the reader would refuse it).
Bytes projectPayload(ProgramImage& image);

// The plain file is the payload itself; the scrambled one is prefixed by the key's head
// and XORed with the key. Empty when the image cannot be stored (see projectPayload).
Bytes writeProjectPlain(ProgramImage& image);
Bytes writeProjectScrambled(ProgramImage& image, const FileKey& fileKey);

// The form Save and the automatic save choose: scrambled when a program limit is set,
// with a key drawn from `random`; plain otherwise. A version with any of its low four
// bits set (0x17, say) is scrambled too: as a plain file it would read as a scrambled one.
Bytes writeProjectFile(ProgramImage& image, const std::function<std::uint32_t()>& random);

}  // namespace kt90
