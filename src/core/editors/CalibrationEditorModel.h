#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "core/progfile/Calibration.h"

namespace kt90 {

// The calibration editor: one row per entry index (0..7). The user switches offered
// entries on or off and picks 5 V or 3 V; everything else comes from the definition.
class CalibrationEditorModel {
 public:
  struct Row {
    bool shown = false;     // offered, and one of the names the program knows
    bool editable = false;  // shown, and not the IRC calibration (which shows its state only)
    std::string name;       // empty when not shown
    bool enabled = false;
    bool at3V = false;
  };

  CalibrationEditorModel(const CaliBrate& header, const std::array<CalibrateInfo, CaliBrate::kMaxEntries>& entries);

  const std::array<Row, CaliBrate::kMaxEntries>& rows() const { return rows_; }

  // Changes of an editable row; other rows refuse them (false).
  bool setEnabled(std::size_t row, bool on);
  bool setAt3V(std::size_t row, bool at3V);

  // OK: enable and voltage bits of every offered entry from its row. Rows start from the
  // header's bits, so an offered entry the dialog does not show keeps its bits.
  void accept(CaliBrate& header) const;

 private:
  std::array<Row, CaliBrate::kMaxEntries> rows_{};
  std::array<bool, CaliBrate::kMaxEntries> offered_{};
};


}  // namespace kt90
