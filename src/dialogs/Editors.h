#pragma once
#include <optional>

#include "core/app/WorkingState.h"
#include "core/progfile/Records.h"

class QWidget;

namespace kt90 {

// The editors as the main window opens them. Each runs its dialog modally over the
// working state; OK writes the result back and redraws what the result touches, Cancel
// changes nothing beyond what the command itself does on opening. True after OK.

// OPTION (button 1001, and after a chip change that kept the program). Opening sets the
// OpenShort pin-test word from the definition, also when cancelled. After OK the code
// range is recomputed with its overflow warning, then code view and summary redrawn.
bool editOptions(QWidget* parent, WorkingState& state);

// CALIBRATE (button 1014): enable and voltage bits; code view and summary after OK.
bool editCalibration(QWidget* parent, WorkingState& state);

// SN/ID (button 1004): rolling-code flag and record; code view and summary after OK.
bool editRollingCode(QWidget* parent, WorkingState& state);

// U_ID Settings: `connected` is the U_ID the programmer reported (the caller's query), or
// none. It joins the KT_ID list at once, even when the dialog is cancelled; OK replaces
// the list with the dialog's rows.
bool editUidBinding(QWidget* parent, WorkingState& state, std::optional<ProgrammerUid> connected);

// The pin-assignment picture (command 32793, offered by no menu item).
void showPinPicture(QWidget* parent, LanguageId language);

}  // namespace kt90
