#pragma once
#include <QString>
#include <optional>
#include <string>

#include "core/app/Host.h"
#include "core/app/ProgramPaths.h"
#include "core/app/WorkingState.h"
#include "core/progfile/Records.h"
#include "core/text/Language.h"

class QWidget;

namespace kt90::gui {

enum class SaveChangesAnswer { Save, Discard, Cancel };

// Every dialog and platform request the main window makes, behind one interface so
// tests can answer them (and fail when an unexpected one appears).
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  virtual MessageAnswer messageBox(QWidget* parent, const QString& text, MessageButtons buttons,
                                   LanguageId language) = 0;
  // Before unsaved changes would be lost: Save, Discard or Cancel (Escape, the close box).
  virtual SaveChangesAnswer askSaveChanges(QWidget* parent, LanguageId language) = 0;
  // The one-line entry dialog; false on Cancel.
  virtual bool editText(QWidget* parent, const Host::EntryRequest& request, LanguageId language, std::string& text) = 0;
  // Empty on Cancel.
  virtual QString openFileName(QWidget* parent, LanguageId language) = 0;
  // The chosen file type decides the format; the typed name is only the name.
  struct SaveChoice {
    QString path;
    SaveType type = SaveType::Project;
  };
  // `proposed` (the current file, or empty) is the name the dialog starts with.
  virtual std::optional<SaveChoice> saveFileName(QWidget* parent, LanguageId language, const QString& proposed) = 0;
  // A serial port typed by path; nullopt on Cancel.
  virtual std::optional<QString> portPath(QWidget* parent, LanguageId language) = 0;
  // The editors over the working state (OK writes back and redraws); true after OK.
  virtual bool editOptions(QWidget* parent, WorkingState& state) = 0;
  virtual bool editRollingCode(QWidget* parent, WorkingState& state) = 0;
  virtual bool editCalibration(QWidget* parent, WorkingState& state) = 0;
  // `connected` joins the KT_ID list at once, also when the dialog is cancelled.
  virtual bool editUidBinding(QWidget* parent, WorkingState& state, std::optional<ProgrammerUid> connected) = 0;
  virtual void about(QWidget* parent, LanguageId language, const QString& productLine) = 0;
  // Opens a file or an address with the platform's application; false when nothing could.
  virtual bool openUrl(const QString& url) = 0;
};

// The real dialogs.
class QtDialogs : public Dialogs {
 public:
  MessageAnswer messageBox(QWidget* parent, const QString& text, MessageButtons buttons, LanguageId language) override;
  SaveChangesAnswer askSaveChanges(QWidget* parent, LanguageId language) override;
  bool editText(QWidget* parent, const Host::EntryRequest& request, LanguageId language, std::string& text) override;
  QString openFileName(QWidget* parent, LanguageId language) override;
  std::optional<SaveChoice> saveFileName(QWidget* parent, LanguageId language, const QString& proposed) override;
  std::optional<QString> portPath(QWidget* parent, LanguageId language) override;
  bool editOptions(QWidget* parent, WorkingState& state) override;
  bool editRollingCode(QWidget* parent, WorkingState& state) override;
  bool editCalibration(QWidget* parent, WorkingState& state) override;
  bool editUidBinding(QWidget* parent, WorkingState& state, std::optional<ProgrammerUid> connected) override;
  void about(QWidget* parent, LanguageId language, const QString& productLine) override;
  bool openUrl(const QString& url) override;
};

}  // namespace kt90::gui
