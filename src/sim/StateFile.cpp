#include "sim/StateFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "core/base/AtomicWrite.h"
#include "core/base/FileIo.h"
#include "sim/Emulator.h"

namespace kt90::sim {

namespace {

constexpr char kMagic[8] = {'K', 'T', '9', '0', 'S', 'I', 'M', 0};
constexpr std::uint32_t kFirstFormat = 1;
constexpr std::uint32_t kFormat = 2;
constexpr std::size_t kChipSize = 3 + kPowerKeySize + 2 * (chipmap::kCodeWords + chipmap::kOptionCount + 8);
constexpr std::size_t kRunSize = 2 + 8 + 4;
constexpr std::size_t kRecordHeader = 8;

std::uint32_t crc32(ByteView bytes) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::uint8_t b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void appendRecord(Bytes& out, const std::string& tag, ByteView data) {
  out.insert(out.end(), tag.begin(), tag.end());
  appendU32(out, static_cast<std::uint32_t>(data.size()));
  appendBytes(out, data);
}

Bytes textBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Written in place: it is encoded after every request, to see whether it changed.
Bytes encodeChip(const SocketChip& chip) {
  Bytes b(kChipSize);
  std::uint8_t* p = b.data();
  *p++ = chip.present ? 1 : 0;
  *p++ = static_cast<std::uint8_t>(chip.wordWidth());
  *p++ = chip.key ? 1 : 0;
  const SocketChip::Key key = chip.key.value_or(SocketChip::Key{});
  p = std::copy(key.begin(), key.end(), p);
  for (std::uint16_t w : chip.rawCode()) writeU16(p, w), p += 2;
  for (std::uint16_t w : chip.rawOptions()) writeU16(p, w), p += 2;
  for (std::uint16_t w : chip.calibration) writeU16(p, w), p += 2;
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

// One record of a known tag into `s`; empty or the reason it is bad.
std::string stageRecord(const std::string& tag, ByteView data, const Emulator& e, Staged& s) {
  const std::uint8_t* p = data.data();
  const std::size_t length = data.size();
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
  } else if (tag == "PAGE") {
    if (!fixed(4 + kStatePageSize) || std::uint64_t{readU32(p)} + kStatePageSize > storage::kSize)
      return "bad storage page record";
    if (!s.storage) s.storage = e.storage();
    std::memcpy(s.storage->data() + readU32(p), p + 4, kStatePageSize);
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
  return {};
}

std::string stage(ByteView bytes, const Emulator& e, Staged& s) {
  if (bytes.size() < 12 || std::memcmp(bytes.data(), kMagic, 8) != 0) return "not an emulator state file";
  const std::uint32_t format = readU32(bytes.data() + 8);
  if (format != kFirstFormat && format != kFormat) return "unsupported state file format";
  const bool changes = format == kFormat;
  const std::string torn = "torn: the file ends inside a change";
  std::size_t at = 12;
  std::size_t changeStart = at;
  while (at < bytes.size()) {
    if (bytes.size() - at < kRecordHeader) return changes ? torn : "truncated record header";
    const std::string tag(reinterpret_cast<const char*>(bytes.data() + at), 4);
    const std::size_t length = readU32(bytes.data() + at + 4);
    const std::size_t recordStart = at;
    at += kRecordHeader;
    if (bytes.size() - at < length) return changes ? torn : "record '" + tag + "' is truncated";
    const ByteView data(bytes.data() + at, length);
    at += length;
    if (changes && tag == "END ") {
      const ByteView change(bytes.data() + changeStart, recordStart - changeStart);
      if (length != 4 || readU32(data.data()) != crc32(change)) return "damaged: a change fails its check";
      changeStart = at;
      continue;
    }
    if (std::string error = stageRecord(tag, data, e, s); !error.empty()) return error;
  }
  if (changes && changeStart != bytes.size()) return torn;
  return {};
}

}  // namespace

std::vector<StateRecord> stateRecords(const Emulator& e) {
  std::vector<StateRecord> records;
  records.push_back({"VERS", textBytes(e.versionText())});
  records.push_back({"UID ", Bytes(e.uid().begin(), e.uid().end())});
  records.push_back({"STOR", e.storage()});
  records.push_back({"EEPR", e.eeprom()});
  records.push_back({"CIF ", e.feature()});
  Bytes counters;
  appendU32(counters, e.counters.total);
  appendU32(counters, e.counters.success);
  records.push_back({"CNTS", std::move(counters)});
  Bytes self;
  appendU32(self, e.selfTestFailures);
  records.push_back({"SELF", std::move(self)});
  records.push_back({"CHIP", encodeChip(e.chip())});
  Bytes run;
  run.push_back(e.runState.fresh ? 1 : 0);
  run.push_back(e.runState.rollingOverflow ? 1 : 0);
  appendBytes(run, e.runState.serial);
  appendU32(run, e.runState.limitUsed);
  records.push_back({"RUN ", std::move(run)});
  return records;
}

Bytes stateFileHeader() {
  Bytes out(kMagic, kMagic + 8);
  appendU32(out, kFormat);
  return out;
}

Bytes encodeStateChange(const std::vector<StateRecord>& records) {
  Bytes out;
  for (const StateRecord& r : records) appendRecord(out, r.tag, r.data);
  Bytes check;
  appendU32(check, crc32(out));
  appendRecord(out, "END ", check);
  return out;
}

Bytes encodeState(const Emulator& e) {
  Bytes out = stateFileHeader();
  appendBytes(out, encodeStateChange(stateRecords(e)));
  return out;
}

std::string decodeState(ByteView bytes, Emulator& e) {
  Staged s;
  if (std::string error = stage(bytes, e, s); !error.empty()) return error;
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
  const Bytes bytes = encodeState(emulator);
  AtomicWriteRequest request;
  request.target = path;
  request.bytes = bytes;
  request.ownerOnly = true;
  return writeAtomically(request).ok();
}

std::string loadStateFile(const std::filesystem::path& path, Emulator& emulator) {
  const FileRead read = readFileBounded(path, kStateFileBound);
  if (!read.ok()) return pathToUtf8(path) + ": " + readProblemText(read.problem, kStateFileBound);
  if (std::string error = decodeState(read.bytes, emulator); !error.empty()) return pathToUtf8(path) + ": " + error;
  return {};
}

}  // namespace kt90::sim
