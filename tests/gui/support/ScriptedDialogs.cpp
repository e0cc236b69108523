#include "gui/support/ScriptedDialogs.h"

#include "core/progfile/UidBinding.h"

namespace kt90::gui::test {

MessageAnswer ScriptedDialogs::messageBox(QWidget*, const QString& text, MessageButtons buttons, LanguageId) {
  messages << text;
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  questions << text;
  if (whileAsked) whileAsked();
  if (answers.empty()) {
    unexpected << "question: " + text;
    return MessageAnswer::No;
  }
  const MessageAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}

SaveChangesAnswer ScriptedDialogs::askSaveChanges(QWidget*, LanguageId) {
  ++saveChangesAsked;
  if (saveChanges.empty()) {
    unexpected << "save changes";
    return SaveChangesAnswer::Cancel;
  }
  const SaveChangesAnswer answer = saveChanges.front();
  saveChanges.pop_front();
  return answer;
}

bool ScriptedDialogs::editText(QWidget*, const Host::EntryRequest& request, LanguageId, std::string& text) {
  prompts.push_back(request);
  if (entries.empty()) {
    unexpected << "entry: " + QString::fromStdString(request.prompt);
    return false;
  }
  const std::optional<std::string> entry = entries.front();
  entries.pop_front();
  if (!entry) return false;
  text = *entry;
  return true;
}

QString ScriptedDialogs::openFileName(QWidget*, LanguageId) {
  if (openFiles.empty()) {
    unexpected << "open file";
    return {};
  }
  const QString path = openFiles.front();
  openFiles.pop_front();
  return path;
}

std::optional<Dialogs::SaveChoice> ScriptedDialogs::saveFileName(QWidget*, LanguageId, const QString& proposed) {
  proposedNames << proposed;
  if (saves.empty()) {
    unexpected << "save file";
    return std::nullopt;
  }
  const auto choice = saves.front();
  saves.pop_front();
  return choice;
}

std::optional<QString> ScriptedDialogs::portPath(QWidget*, LanguageId) {
  if (portPaths.empty()) {
    unexpected << "port path";
    return std::nullopt;
  }
  const auto path = portPaths.front();
  portPaths.pop_front();
  return path;
}

bool ScriptedDialogs::editOptions(QWidget*, WorkingState&) {
  editors << "OPTION";
  return false;
}

bool ScriptedDialogs::editRollingCode(QWidget*, WorkingState&) {
  editors << "SN/ID";
  return false;
}

bool ScriptedDialogs::editCalibration(QWidget*, WorkingState&) {
  editors << "CALIBRATE";
  return false;
}

bool ScriptedDialogs::editUidBinding(QWidget*, WorkingState& state, std::optional<ProgrammerUid> connected) {
  editors << "U_ID";
  lastConnected = connected;
  if (connected) addConnectedUid(state.image().protection.uids, *connected, state.language(), state.reporter());
  return false;
}

void ScriptedDialogs::about(QWidget*, LanguageId, const QString& productLine) { abouts << productLine; }

bool ScriptedDialogs::openUrl(const QString& url) {
  opened << url;
  return openUrlResult;
}

}  // namespace kt90::gui::test
