#include "sim/StateFile.h"

#include <cstring>
#include <optional>

#include "core/base/FileIo.h"
#include "sim/Emulator.h"

namespace kt90::sim {

namespace {

constexpr char kMagic[8] = {'K', 'T', '9', '0', 'S', 'I', 'M', 0};
constexpr std::uint32_t kFormat = 1;
constexpr std::size_t kChipSize = 3 + kPowerKeySize + 2 * (chipmap::kCodeWords + chipmap::kOptionCount + 8);
constexpr std::size_t kRunSize = 2 + 8 + 4;

void appendRecord(Bytes& out, const char (&tag)[5], ByteView data) {
  out.insert(out.end(), tag, tag + 4);
  appendU32(out, static_cast<std::uint32_t>(data.size()));
  appendBytes(out, data);
}

ByteView textBytes(const std::string& s) { return ByteView(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }

Bytes encodeChip(const SocketChip& chip) {
  Bytes b;
  b.push_back(chip.present ? 1 : 0);
  b.push_back(static_cast<std::uint8_t>(chip.wordWidth()));
  b.push_back(chip.key ? 1 : 0);
  const SocketChip::Key key = chip.key.value_or(SocketChip::Key{});
  appendBytes(b, key);
  for (std::uint16_t w : chip.rawCode()) appendU16(b, w);
  for (std::uint16_t w : chip.rawOptions()) appendU16(b, w);
  for (std::uint16_t w : chip.calibration) appendU16(b, w);
  return b;
}

SocketChip decodeChip(const std::uint8_t* p) {
  SocketChip chip(p[1]);
  chip.present = p[0] != 0;
  if (p[2]) {
    chip.key.emplace();
    std::memcpy(chip.key->data(), p + 3, kPowerKeySize);
  }
  p += 3 + kPowerKeySize;
  for (auto& w : chip.rawCode()) w = readU16(p), p += 2;
  for (auto& w : chip.rawOptions()) w = readU16(p), p += 2;
  for (auto& w : chip.calibration) w = readU16(p), p += 2;
  return chip;
}

// Everything a file may set, checked before any of it is applied.
struct Staged {
  std::optional<std::string> version;
  std::optional<Uid> uid;
  std::optional<Bytes> storage, eeprom, feature;
  std::optional<Counters> counters;
  std::optional<std::uint32_t> selfTest;
  std::optional<SocketChip> chip;
  std::optional<RunState> run;
};

std::string stage(ByteView bytes, Staged& s) {
  if (bytes.size() < 12 || std::memcmp(bytes.data(), kMagic, 8) != 0) return "not an emulator state file";
  if (readU32(bytes.data() + 8) != kFormat) return "unsupported state file format";
  std::size_t at = 12;
  while (at < bytes.size()) {
    if (bytes.size() - at < 8) return "truncated record header";
    const std::string tag(reinterpret_cast<const char*>(bytes.data() + at), 4);
    const std::size_t length = readU32(bytes.data() + at + 4);
    at += 8;
    if (bytes.size() - at < length) return "record '" + tag + "' is truncated";
    const std::uint8_t* p = bytes.data() + at;
    auto fixed = [&](std::size_t want) { return length == want; };
    if (tag == "VERS") {
      s.version.emplace(reinterpret_cast<const char*>(p), length);
    } else if (tag == "UID ") {
      if (!fixed(12)) return "bad UID record";
      s.uid.emplace();
      std::memcpy(s.uid->data(), p, 12);
    } else if (tag == "STOR") {
      if (!fixed(storage::kSize)) return "bad storage record";
      s.storage.emplace(p, p + length);
    } else if (tag == "EEPR") {
      if (!fixed(eeprom::kSize)) return "bad EEPROM record";
      s.eeprom.emplace(p, p + length);
    } else if (tag == "CIF ") {
      if (length > storage::kCifSize) return "bad CIF record";
      s.feature.emplace(p, p + length);
    } else if (tag == "CNTS") {
      if (!fixed(8)) return "bad counter record";
      s.counters = Counters{readU32(p), readU32(p + 4)};
    } else if (tag == "SELF") {
      if (!fixed(4)) return "bad self-test record";
      s.selfTest = readU32(p);
    } else if (tag == "CHIP") {
      if (!fixed(kChipSize) || p[1] < 8 || p[1] > 16) return "bad chip record";
      s.chip = decodeChip(p);
    } else if (tag == "RUN ") {
      if (!fixed(kRunSize)) return "bad run record";
      RunState run;
      run.fresh = p[0] != 0;
      run.rollingOverflow = p[1] != 0;
      std::memcpy(run.serial.data(), p + 2, 8);
      run.limitUsed = readU32(p + 10);
      s.run = run;
    }
    at += length;
  }
  return {};
}

}  // namespace

Bytes encodeState(const Emulator& e) {
  Bytes out(kMagic, kMagic + 8);
  appendU32(out, kFormat);
  appendRecord(out, "VERS", textBytes(e.versionText()));
  appendRecord(out, "UID ", e.uid());
  appendRecord(out, "STOR", e.storage());
  appendRecord(out, "EEPR", e.eeprom());
  appendRecord(out, "CIF ", e.feature());
  Bytes counters;
  appendU32(counters, e.counters.total);
  appendU32(counters, e.counters.success);
  appendRecord(out, "CNTS", counters);
  Bytes self;
  appendU32(self, e.selfTestFailures);
  appendRecord(out, "SELF", self);
  appendRecord(out, "CHIP", encodeChip(e.chip()));
  Bytes run;
  run.push_back(e.runState.fresh ? 1 : 0);
  run.push_back(e.runState.rollingOverflow ? 1 : 0);
  appendBytes(run, e.runState.serial);
  appendU32(run, e.runState.limitUsed);
  appendRecord(out, "RUN ", run);
  return out;
}

std::string decodeState(ByteView bytes, Emulator& e) {
  Staged s;
  if (std::string error = stage(bytes, s); !error.empty()) return error;
  if (s.version) e.setVersionText(*s.version);
  if (s.uid) e.setUid(*s.uid);
  if (s.storage) e.storage() = std::move(*s.storage);
  if (s.eeprom) e.eeprom() = std::move(*s.eeprom);
  if (s.feature) e.setFeature(std::move(*s.feature));
  if (s.counters) e.counters = *s.counters;
  if (s.selfTest) e.selfTestFailures = *s.selfTest;
  if (s.chip) {
    e.chip() = *s.chip;
    // New chips for debugger-type runs are of the kind the socket held last.
    e.chipWordWidth = s.chip->wordWidth();
  }
  if (s.run) e.runState = *s.run;
  return {};
}

bool saveStateFile(const Emulator& emulator, const std::filesystem::path& path) {
  return writeFileAtomically(path, encodeState(emulator));
}

std::string loadStateFile(const std::filesystem::path& path, Emulator& emulator) {
  const std::optional<Bytes> bytes = readWholeFile(path);
  if (!bytes) return "cannot read " + pathToUtf8(path);
  return decodeState(*bytes, emulator);
}

}  // namespace kt90::sim
