#include "dialogs/Editors.h"

#include "core/chip/ChipDefinition.h"
#include "core/editors/CalibrationEditorModel.h"
#include "core/editors/OptionEditorModel.h"
#include "core/editors/RollingCodeEditorModel.h"
#include "core/editors/UidBindingEditor.h"
#include "dialogs/CCalibrateDlg.h"
#include "dialogs/CFootDlg.h"
#include "dialogs/CKtIdDlg.h"
#include "dialogs/COptionDlg.h"
#include "dialogs/CRollingCodeDlg.h"

namespace kt90 {
namespace {

void redraw(WorkingState& state) {
  state.showImageCode();
  state.showImageSummary();
}

}  // namespace

bool editOptions(QWidget* parent, WorkingState& state) {
  const std::string path = chipDefinitionPath(state.programDir(), state.language(), state.chipModelName());
  auto model = openOptionEditor(path, state.chipModelName(), state.image(), state.blankWord(), state.language(),
                                state.reporter());
  if (!model) return false;
  COptionDlg dialog(*model, state.language(), parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  model->accept(state.image());
  state.updateCodeRangeWithWarning();
  redraw(state);
  return true;
}

bool editCalibration(QWidget* parent, WorkingState& state) {
  ProgramImage& image = state.image();
  CalibrationEditorModel model(image.calibration, image.calibrationEntries);
  CCalibrateDlg dialog(model, state.language(), parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  model.accept(image.calibration);
  redraw(state);
  return true;
}

bool editRollingCode(QWidget* parent, WorkingState& state) {
  ProgramImage& image = state.image();
  RollingCodeEditorModel model(image.head, image.rolCode);
  CRollingCodeDlg dialog(model, state.language(), parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  model.writeBack(image.head, image.rolCode);
  redraw(state);
  return true;
}

bool editUidBinding(QWidget* parent, WorkingState& state, std::optional<ProgrammerUid> connected) {
  std::vector<ProgrammerUid>& list = state.image().protection.uids;
  UidBindingEditor editor(list, connected, state.language(), state.reporter());
  CKtIdDlg dialog(editor, state.programDir(), state.language(), parent);
  if (dialog.exec() != QDialog::Accepted || !dialog.acceptedUids()) return false;
  list = *dialog.acceptedUids();
  return true;
}

void showPinPicture(QWidget* parent, LanguageId language) {
  CFootDlg dialog(language, parent);
  dialog.exec();
}

}  // namespace kt90
