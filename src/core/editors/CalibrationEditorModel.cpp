#include "core/editors/CalibrationEditorModel.h"

#include <algorithm>

namespace kt90 {
namespace {

bool bit(std::uint8_t bits, std::size_t k) { return ((bits >> k) & 1u) != 0; }

std::uint8_t withBit(std::uint8_t bits, std::size_t k, bool on) {
  const auto mask = static_cast<std::uint8_t>(1u << k);
  return static_cast<std::uint8_t>(on ? bits | mask : bits & ~mask);
}

}  // namespace

CalibrationEditorModel::CalibrationEditorModel(const CaliBrate& header,
                                               const std::array<CalibrateInfo, CaliBrate::kMaxEntries>& entries) {
  // A count above 8 comes only from a damaged record; the table holds 8 entries.
  const std::size_t count = std::min<std::size_t>(header.count, CaliBrate::kMaxEntries);
  for (std::size_t k = 0; k < count; ++k) {
    Row& row = rows_[k];
    row.enabled = bit(header.enableBits, k);
    row.at3V = bit(header.voltageBits, k);
    offered_[k] = entries[k].offered;
    if (!entries[k].offered || !isKnownCalibrationName(entries[k].name)) continue;
    row.shown = true;
    row.name = entries[k].name;
    row.editable = entries[k].name != kIrcCalibrationName;
  }
}

bool CalibrationEditorModel::setEnabled(std::size_t row, bool on) {
  if (row >= rows_.size() || !rows_[row].editable) return false;
  rows_[row].enabled = on;
  return true;
}

bool CalibrationEditorModel::setAt3V(std::size_t row, bool at3V) {
  if (row >= rows_.size() || !rows_[row].editable) return false;
  rows_[row].at3V = at3V;
  return true;
}

void CalibrationEditorModel::accept(CaliBrate& header) const {
  for (std::size_t k = 0; k < rows_.size(); ++k) {
    if (!offered_[k]) continue;
    header.enableBits = withBit(header.enableBits, k, rows_[k].enabled);
    header.voltageBits = withBit(header.voltageBits, k, rows_[k].at3V);
  }
}

}  // namespace kt90
