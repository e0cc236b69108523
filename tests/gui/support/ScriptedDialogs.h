#pragma once
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gui/Dialogs.h"

namespace kt90::gui::test {

// Dialogs answered from queues the test fills. A dialog nobody prepared an answer for
// is recorded in `unexpected` (tests check it stays empty) and answered No / Cancel.
class ScriptedDialogs : public Dialogs {
 public:
  MessageAnswer messageBox(QWidget*, const QString& text, MessageButtons buttons, LanguageId) override;
  SaveChangesAnswer askSaveChanges(QWidget*, LanguageId) override;
  bool editText(QWidget*, const Host::EntryRequest& request, LanguageId, std::string& text) override;
  QString openFileName(QWidget*, LanguageId) override;
  std::optional<SaveChoice> saveFileName(QWidget*, LanguageId, const QString& proposed) override;
  std::optional<QString> portPath(QWidget*, LanguageId) override;
  // The editors are recorded by name and cancelled; the U_ID binding adds the
  // connected U_ID first, as the real one does.
  bool editOptions(QWidget*, WorkingState&) override;
  bool editRollingCode(QWidget*, WorkingState&) override;
  bool editCalibration(QWidget*, WorkingState&) override;
  bool editUidBinding(QWidget*, WorkingState& state, std::optional<ProgrammerUid> connected) override;
  void about(QWidget*, LanguageId, const QString& productLine) override;
  bool openUrl(const QString& url) override;

  // Answers, in order.
  std::deque<MessageAnswer> answers;               // Yes/No questions
  std::deque<SaveChangesAnswer> saveChanges;       // the question before unsaved changes go
  std::deque<std::optional<std::string>> entries;  // entry dialogs; nullopt = Cancel
  std::deque<QString> openFiles;
  std::deque<std::optional<SaveChoice>> saves;
  std::deque<std::optional<QString>> portPaths;
  bool openUrlResult = true;
  std::function<void()> whileAsked;  // runs while a question is open

  // What was shown.
  QStringList messages;  // OK boxes and questions
  QStringList questions;
  int saveChangesAsked = 0;
  std::vector<Host::EntryRequest> prompts;
  QStringList editors;
  std::optional<ProgrammerUid> lastConnected;
  QStringList abouts;
  QStringList opened;
  QStringList proposedNames;  // by the Save dialog
  QStringList unexpected;
};

}  // namespace kt90::gui::test
