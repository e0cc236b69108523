#include "sim/StateStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/base/FileIo.h"
#include "sim/Emulator.h"

namespace kt90::sim {

namespace {

const std::string kStorageTag = "STOR";

// The pages of the storage that differ, as PAGE records; the whole record when most do.
std::vector<StateRecord> changedPages(const Bytes& before, const Bytes& now) {
  std::vector<StateRecord> pages;
  for (std::size_t at = 0; at < now.size(); at += kStatePageSize) {
    if (std::memcmp(before.data() + at, now.data() + at, kStatePageSize) == 0) continue;
    Bytes page;
    appendU32(page, static_cast<std::uint32_t>(at));
    page.insert(page.end(), now.begin() + static_cast<std::ptrdiff_t>(at),
                now.begin() + static_cast<std::ptrdiff_t>(at + kStatePageSize));
    pages.push_back({"PAGE", std::move(page)});
  }
  if (pages.size() * 2 > now.size() / kStatePageSize) return {{kStorageTag, now}};
  return pages;
}

}  // namespace

std::chrono::milliseconds stateLockWait() {
  if (const char* text = std::getenv("KT90_SIM_LOCK_WAIT_MS")) {
    char* end = nullptr;
    const long ms = std::strtol(text, &end, 10);
    if (end != text && *end == 0 && ms >= 0) return std::chrono::milliseconds(ms);
  }
  return std::chrono::seconds(10);
}

StateStore::StateStore(std::filesystem::path path, std::uintmax_t compactAt)
    : path_(std::move(path)), compactAt_(compactAt) {}

std::string StateStore::fail(const std::string& reason) {
  problem_ = reason;
  file_.release();
  return problem_;
}

std::string StateStore::open(Emulator& emulator, std::chrono::milliseconds lockWait) {
  switch (file_.acquire(path_, lockWait)) {
    case LockedFile::Result::Locked:
      break;
    case LockedFile::Result::Busy:
      return fail(pathToUtf8(path_) + " is in use by another programmer process");
    case LockedFile::Result::Failed:
      return fail(file_.problem());
  }
  const FileRead read = readFileBounded(file_.realPath(), kStateFileBound);
  if (!read.ok()) return fail(pathToUtf8(path_) + ": " + readProblemText(read.problem, kStateFileBound));
  // An empty file is the one just created for the lock: a new programmer.
  if (read.bytes.empty()) {
    loaded_ = true;
    return {};
  }
  if (std::string reason = decodeState(read.bytes, emulator); !reason.empty()) {
    return fail(pathToUtf8(path_) + ": " + reason);
  }
  persisted_ = stateRecords(emulator);
  size_ = read.bytes.size();
  const Bytes header = stateFileHeader();
  appendable_ = read.bytes.size() >= header.size() && std::equal(header.begin(), header.end(), read.bytes.begin());
  loaded_ = true;
  return {};
}

std::vector<StateRecord> StateStore::changesSince(const std::vector<StateRecord>& now) const {
  std::vector<StateRecord> changes;
  for (const StateRecord& record : now) {
    const auto old =
        std::find_if(persisted_.begin(), persisted_.end(), [&](const StateRecord& r) { return r.tag == record.tag; });
    if (old != persisted_.end() && old->data == record.data) continue;
    if (old != persisted_.end() && record.tag == kStorageTag && old->data.size() == record.data.size()) {
      for (StateRecord& page : changedPages(old->data, record.data)) changes.push_back(std::move(page));
    } else {
      changes.push_back(record);
    }
  }
  return changes;
}

std::string StateStore::rewrite(const std::vector<StateRecord>& records) {
  Bytes whole = stateFileHeader();
  appendBytes(whole, encodeStateChange(records));
  if (std::string reason = file_.replace(whole); !reason.empty()) return reason;
  size_ = whole.size();
  appendable_ = true;
  return {};
}

std::string StateStore::commit(const Emulator& emulator) {
  if (!problem_.empty()) return problem_;
  if (!file_.held()) return fail("the state file " + pathToUtf8(path_) + " is not open");
  std::vector<StateRecord> now = stateRecords(emulator);
  std::string reason;
  if (!appendable_) {
    reason = rewrite(now);
  } else {
    const std::vector<StateRecord> changes = changesSince(now);
    if (changes.empty()) return {};
    const Bytes change = encodeStateChange(changes);
    if (size_ + change.size() > compactAt_) {
      reason = rewrite(now);
    } else {
      reason = file_.append(change);
      if (reason.empty()) size_ += change.size();
    }
  }
  if (!reason.empty()) return fail("cannot save the emulator state to " + pathToUtf8(path_) + ": " + reason);
  persisted_ = std::move(now);
  return {};
}

void StateStore::close() { file_.release(); }

}  // namespace kt90::sim
