#include "core/app/ControlRules.h"

#include "core/app/OperatingMode.h"

namespace kt90 {
namespace {

// The one chip whose calibration may be set outside Service mode.
constexpr std::string_view kFieldCalibratedChip = "QD46K300T1";

void set(ControlStates& states, Control c, bool enabled, bool visible = true) {
  states[static_cast<std::size_t>(c)] = ControlState{enabled, visible};
}

}  // namespace

ControlStates controlStates(OperationState state, std::uint32_t operatingMode, std::string_view chipModelName) {
  const bool idle = state != OperationState::Running;
  const bool editing = idle && operatingMode != kProductionMode;
  const bool service = operatingMode == kServiceMarker;

  ControlStates states{};
  set(states, Control::Open, idle);
  set(states, Control::Download, idle);
  for (Control c : {Control::Save, Control::ChipList, Control::Option, Control::SnId, Control::Blank, Control::Program,
                    Control::Verify, Control::Upload}) {
    set(states, c, editing);
  }
  set(states, Control::Read, idle && service, service);
  set(states, Control::HwTest, idle && service, service);
  set(states, Control::Calibrate, idle && (service || chipModelName == kFieldCalibratedChip));
  return states;
}

Rgb stateColour(OperationState state) {
  switch (state) {
    case OperationState::Passed:
      return {0, 155, 0};
    case OperationState::Failed:
      return {255, 0, 0};
    case OperationState::Ready:
      return {135, 206, 255};
    case OperationState::Running:
      return {255, 255, 0};
  }
  return {135, 206, 255};
}

}  // namespace kt90
