#pragma once
#include <QDialog>
#include <QStringList>

#include "core/text/Language.h"

namespace kt90::gui {

// Stands in for an editor that is not part of this version yet (OPTION, SN/ID,
// CALIBRATE, U_ID binding): says so, may show what the editor would edit, changes nothing.
class EditorPlaceholderDlg : public QDialog {
  Q_OBJECT
 public:
  EditorPlaceholderDlg(const QString& editor, const QStringList& details, LanguageId language,
                       QWidget* parent = nullptr);
};

}  // namespace kt90::gui
