#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/progfile/FileHead.h"
#include "core/progfile/Records.h"
#include "core/text/Language.h"

namespace kt90 {

// Instruction kinds of the serial bytes.
inline constexpr std::uint8_t kRollingKindMovlw = 4;
inline constexpr std::uint8_t kRollingKindRetlw = 1;

// The record holds up to 8 serial bytes; the dialog usually offers 4.
inline constexpr int kRollingMaxColumns = 8;
inline constexpr int kRollingUsualMaxLength = 4;

// The rolling-code dialog's state, as read from the head flags and the RolCode record.
struct RollingCodeState {
  bool enabled = false;  // FileHead flag bit 5
  bool flag7 = false;    // bit 7 of the control byte, no control edits it
  int length = 1;        // serial bytes, 1..8
  std::uint8_t step = 1;
  std::uint8_t kind = kRollingKindRetlw;
  std::array<std::uint16_t, kRollingMaxColumns> address{};
  std::array<std::uint8_t, kRollingMaxColumns> data{};
};

RollingCodeState rollingCodeStateFrom(const FileHead& head, const RolCode& record);

// What the dialog's controls show after a refresh (opening, Enable clicked, new length).
// The texts come from the state, so digits typed since the dialog opened are replaced.
struct RollingCodeView {
  bool settingsEnabled = false;  // kind radio buttons, length list, step edit
  struct Column {
    bool enabled = false;
    std::string address;  // "%04X", empty when the column is not in use
    std::string data;     // "%02X", empty when the column is not in use
  };
  std::array<Column, kRollingMaxColumns> columns;
};
RollingCodeView refreshRollingCodeView(const RollingCodeState& state, bool enabled, int length);

// What the user left in the controls when pressing OK.
struct RollingCodeEntry {
  bool enabled = false;
  int length = 1;
  bool retlwChecked = false;
  std::string step;
  std::array<std::string, kRollingMaxColumns> address;
  std::array<std::string, kRollingMaxColumns> data;
};

class RollingCodeEditorModel {
 public:
  RollingCodeEditorModel(const FileHead& head, const RolCode& record);

  const RollingCodeState& state() const { return state_; }
  // Lengths the length list offers: 4, or 8 when the record holds more than 4 serial
  // bytes (possible in files), so such a record is shown and edited whole.
  int maxLength() const { return maxLength_; }
  bool movlwChecked() const { return state_.kind == kRollingKindMovlw; }
  bool retlwChecked() const { return state_.kind == kRollingKindRetlw; }
  RollingCodeView view(bool enabled, int length) const { return refreshRollingCodeView(state_, enabled, length); }

  // OK: the kind from the radio buttons (MOVLW unless RETLW is checked), step, addresses
  // and data of the columns in use read as hexadecimal. Two columns in use with the same
  // address are refused: the message to show is returned and the state stays as it was.
  // Columns not in use (the rolling code off, or beyond the length) keep their values, so
  // switching the rolling code off does not lose its bytes.
  std::optional<std::string> accept(const RollingCodeEntry& entry, LanguageId language);

  // Writing back after OK: the on/off flag and the record's meaningful bytes for the
  // length; bits 3-6 of the control byte and the bytes past the length stay.
  void writeBack(FileHead& head, RolCode& record) const;

 private:
  RollingCodeState state_;
  int maxLength_ = kRollingUsualMaxLength;
};

}  // namespace kt90
