#include "gui/support/ScriptedDialogs.h"

namespace kt90::gui::test {

MessageAnswer ScriptedDialogs::messageBox(QWidget*, const QString& text, MessageButtons buttons, LanguageId) {
  messages << text;
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  questions << text;
  if (answers.empty()) {
    unexpected << "question: " + text;
    return MessageAnswer::No;
  }
  const MessageAnswer answer = answers.front();
  answers.pop_front();
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

std::optional<Dialogs::SaveChoice> ScriptedDialogs::saveFileName(QWidget*, LanguageId) {
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

void ScriptedDialogs::editorPlaceholder(QWidget*, const QString& editor, const QStringList& details, LanguageId) {
  placeholders << editor;
  placeholderDetails = details;
}

void ScriptedDialogs::about(QWidget*, LanguageId, const QString& productLine) { abouts << productLine; }

bool ScriptedDialogs::openUrl(const QString& url) {
  opened << url;
  return openUrlResult;
}

}  // namespace kt90::gui::test
