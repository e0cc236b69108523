#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/base/Bytes.h"
#include "core/base/Reporter.h"
#include "core/text/Language.h"

namespace kt90 {

// The outer form of a protected project file: a 16-byte file head that carries the
// per-file key, then the payload XORed with that key.
using FileKey = std::array<std::uint8_t, 16>;

inline constexpr std::size_t kScrambleHeadSize = 16;

// Two constants of the file format, the same for every scrambled project file ever
// written: key bytes 2-7 are stored plus the first, key bytes 8-15 minus the second
// (modulo 256). Changing either makes every existing file unreadable.
inline constexpr std::uint8_t kScrambleHeadAdd = 0x5A;
inline constexpr std::uint8_t kScrambleHeadSub = 0xA7;

// A scrambled file's byte 1 is the key's byte 1, whose low four bits are never 0; a plain
// file's byte 1 is its version (0x10, 0x20, ...) or 0x01 for the old layout.
bool isScrambledProject(ByteView file);

// The payload of a project file in either form: a plain file as it is, a scrambled one
// unscrambled in memory. A file that tests as scrambled but is shorter than its 16-byte
// head is refused with a log line.
std::optional<Bytes> unscrambleProject(ByteView file, LanguageId language, Reporter& reporter);

// The key of a new file: 16 random bytes, byte 1 = (version AND 0xF8) OR 0x08 OR 3 random
// bits. `random` is called once per byte; only its low bits are used.
FileKey makeFileKey(std::uint8_t version, const std::function<std::uint32_t()>& random);

// File head and scrambled payload, ready to be written. Bit 3 of key byte 1 is set if
// the key lacks it, so the file always tests as scrambled.
Bytes scrambleProject(ByteView payload, const FileKey& key);

}  // namespace kt90
