#include "core/editors/RollingCodeEditorModel.h"

#include <algorithm>

#include "core/editors/HexEntry.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

constexpr std::uint8_t kLengthBits = 0x07;
constexpr std::uint8_t kFlag7 = 0x80;

std::size_t stepOffset(int length) { return 1 + 4 * static_cast<std::size_t>(length); }
std::size_t dataOffset(int i) { return 1 + 2 * static_cast<std::size_t>(i); }
std::size_t addressOffset(int length, int i) { return 1 + 2 * static_cast<std::size_t>(length) + 2 * i; }

bool inUse(bool enabled, int length, int column) { return enabled && column < length; }

}  // namespace

RollingCodeState rollingCodeStateFrom(const FileHead& head, const RolCode& record) {
  const auto& b = record.bytes;
  RollingCodeState s;
  s.enabled = head.flag(headflag::kRollingCode);
  s.flag7 = (b[0] & kFlag7) != 0;
  s.length = (b[0] & kLengthBits) + 1;
  s.step = b[stepOffset(s.length)];
  s.kind = b[2];
  for (int i = 0; i < s.length; ++i) {
    s.data[static_cast<std::size_t>(i)] = b[dataOffset(i)];
    s.address[static_cast<std::size_t>(i)] = readU16(&b[addressOffset(s.length, i)]);
  }
  return s;
}

RollingCodeView refreshRollingCodeView(const RollingCodeState& state, bool enabled, int length) {
  RollingCodeView view;
  view.settingsEnabled = enabled;
  for (int i = 0; i < kRollingMaxColumns; ++i) {
    RollingCodeView::Column& column = view.columns[static_cast<std::size_t>(i)];
    column.enabled = inUse(enabled, length, i);
    if (!column.enabled) continue;
    column.address = formatText("%04X", static_cast<unsigned>(state.address[static_cast<std::size_t>(i)]));
    column.data = formatText("%02X", static_cast<unsigned>(state.data[static_cast<std::size_t>(i)]));
  }
  return view;
}

RollingCodeEditorModel::RollingCodeEditorModel(const FileHead& head, const RolCode& record)
    : state_(rollingCodeStateFrom(head, record)) {
  if (state_.length > kRollingUsualMaxLength) maxLength_ = kRollingMaxColumns;
}

std::optional<std::string> RollingCodeEditorModel::accept(const RollingCodeEntry& entry, LanguageId language) {
  RollingCodeState next = state_;
  next.enabled = entry.enabled;
  next.length = std::clamp(entry.length, 1, maxLength_);
  next.kind = entry.retlwChecked ? kRollingKindRetlw : kRollingKindMovlw;
  next.step = static_cast<std::uint8_t>(parseHexDigits(entry.step));
  for (std::size_t i = 0; i < kRollingMaxColumns; ++i) {
    if (!inUse(next.enabled, next.length, static_cast<int>(i))) continue;
    next.address[i] = static_cast<std::uint16_t>(parseHexDigits(entry.address[i]));
    next.data[i] = static_cast<std::uint8_t>(parseHexDigits(entry.data[i]));
  }
  for (int j = 0; j < kRollingMaxColumns; ++j) {
    for (int k = 0; k < kRollingMaxColumns; ++k) {
      if (j == k || !inUse(next.enabled, next.length, j) || !inUse(next.enabled, next.length, k)) continue;
      const std::uint16_t address = next.address[static_cast<std::size_t>(j)];
      if (address != next.address[static_cast<std::size_t>(k)]) continue;
      return formatText(text(TextId::RollingDuplicateAddress, language), j, k, static_cast<unsigned>(address));
    }
  }
  state_ = next;
  return std::nullopt;
}

void RollingCodeEditorModel::writeBack(FileHead& head, RolCode& record) const {
  auto& b = record.bytes;
  head.setFlag(headflag::kRollingCode, state_.enabled);
  const auto kept = static_cast<std::uint8_t>(b[0] & ~(kFlag7 | kLengthBits));
  b[0] = static_cast<std::uint8_t>(kept | (state_.flag7 ? kFlag7 : 0) | (state_.length - 1));
  b[stepOffset(state_.length)] = state_.step;
  for (int i = 0; i < state_.length; ++i) {
    b[dataOffset(i)] = state_.data[static_cast<std::size_t>(i)];
    b[dataOffset(i) + 1] = state_.kind;
    writeU16(&b[addressOffset(state_.length, i)], state_.address[static_cast<std::size_t>(i)]);
  }
}

}  // namespace kt90
