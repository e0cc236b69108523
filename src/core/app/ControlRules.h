#pragma once
#include <array>
#include <cstdint>
#include <string_view>

#include "core/app/Host.h"

namespace kt90 {

// The controls of the main window whose state the operation state and the mode decide.
enum class Control {
  Open,
  Save,
  ChipList,
  Option,
  SnId,
  Calibrate,
  Blank,
  Program,
  Verify,
  Download,
  Upload,
  Read,
  HwTest,
  Count
};

struct ControlState {
  bool enabled = false;
  bool visible = true;
};

using ControlStates = std::array<ControlState, static_cast<std::size_t>(Control::Count)>;

inline const ControlState& at(const ControlStates& states, Control c) { return states[static_cast<std::size_t>(c)]; }

// The enable and show rules of an operation state: nothing is enabled while Running;
// Production mode locks everything but Open and Download; Read and HW TEST exist only in
// Service mode; CALIBRATE is for Service mode and the one chip calibrated in the field.
ControlStates controlStates(OperationState state, std::uint32_t operatingMode, std::string_view chipModelName);

// The status label's background for a state (Ready light blue, Running yellow, Passed
// green, Failed red); its text stays black.
struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};
Rgb stateColour(OperationState state);

}  // namespace kt90
