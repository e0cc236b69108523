#pragma once
#include <string>

#include "core/base/Bytes.h"
#include "core/base/Reporter.h"
#include "core/progfile/ProgramImage.h"
#include "core/text/Language.h"

namespace kt90 {

// What the PRO reader needs from the working state: the chip lookups.
class ProChipHandler {
 public:
  virtual ~ProChipHandler() = default;
  // A chip-name entry (UTF-8, "163" already replaced by "027"; the name is in the head's
  // name field): look the chip up from the head, select it and reset the image for it.
  // The reader stores the name in the head again afterwards. False (the chip has no
  // definition, which the handler has reported) fails the read.
  virtual bool onChipName(const std::string& utf8Name) = 0;
  // After the last entry: look the chip up from the head again; returns the selected
  // model name.
  virtual std::string onFinished() = 0;
};

// The PRO container: "PRO", the file size at 12, the entry count at 28, a table of
// 16-byte entries (type, parameter, offset, length) from 32. Data blocks are decoded with
// the key record the last key entry named. Refused with a log line, before anything
// outside the file is touched: an entry table or an entry reaching past the file's end,
// a code block of 65536 bytes or more, a key record whose key length is 0. More chip-name
// entries or data blocks than a PRO file needs (FileLimits.h) refuse it before any entry
// is applied, so the work stays linear in the file.
bool readPro(ByteView file, ProgramImage& image, ProChipHandler& handler, LanguageId language, Reporter& reporter);

// Decodes `block` with `key`: each byte XOR the key, minus the previous encoded byte.
// An empty key leaves the block as it is.
Bytes decodeProBlock(ByteView block, ByteView key);

}  // namespace kt90
