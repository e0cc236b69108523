#include "gui/MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "gui/GuiText.h"

namespace kt90::gui {

MainMenu::MainMenu(QMenuBar* bar, LanguageId language, ContextSource context, CommandSink onCommand, QObject* parent)
    : QObject(parent), language_(language), context_(std::move(context)), onCommand_(std::move(onCommand)) {
  QMenu* file = addMenu(bar, TextId::MenuFile);
  addItem(file, TextId::MenuOpen, MenuCommand::Open);
  addItem(file, TextId::MenuSave, MenuCommand::Save);
  file->addSeparator();
  recentMenu_ = file->addMenu(marked(itemKeys_[file], TextId::MenuRecentFiles));
  recentMenu_->setObjectName("recentMenu");

  QMenu* operation = addMenu(bar, TextId::MenuOperation);
  addItem(operation, TextId::MenuUpdateFirmware, MenuCommand::UpdateFirmware);
  operation->addSeparator();
  addItem(operation, TextId::MenuQuality, MenuCommand::Quality);
  addItem(operation, TextId::MenuProductionJournal, MenuCommand::ProductionJournal);
  addItem(operation, TextId::MenuStrictJournal, MenuCommand::StrictJournal);
  operation->addSeparator();
  addItem(operation, TextId::MenuQuit, MenuCommand::Quit)->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));

  QMenu* mode = addMenu(bar, TextId::MenuMode);
  addItem(mode, TextId::MenuResearchMode, MenuCommand::ResearchMode);
  mode->addSeparator();
  addItem(mode, TextId::MenuProductionMode, MenuCommand::ProductionMode);
  mode->addSeparator();
  addItem(mode, TextId::MenuServiceMode, MenuCommand::ServiceMode);

  QMenu* settings = addMenu(bar, TextId::MenuSettings);
  addItem(settings, TextId::MenuFilePassword, MenuCommand::FilePassword);
  settings->addSeparator();
  addItem(settings, TextId::MenuProgramFileTimes, MenuCommand::ProgramFileTimes);
  settings->addSeparator();
  addItem(settings, TextId::MenuUidSettings, MenuCommand::UidSettings);
  settings->addSeparator();
  addItem(settings, TextId::MenuCheckCrc, MenuCommand::CheckCrc);

  portMenu_ = addMenu(bar, TextId::MenuPort);
  portMenu_->setObjectName("portMenu");

  QMenu* languages = addMenu(bar, TextId::MenuLanguage);
  addItem(languages, TextId::MenuChinese, MenuCommand::Chinese);
  addItem(languages, TextId::MenuEnglish, MenuCommand::English);

  QMenu* help = addMenu(bar, TextId::MenuHelp);
  addItem(help, TextId::MenuHelpDocument, MenuCommand::HelpDocument);
  help->addSeparator();
  addItem(help, TextId::MenuInstallDriver, MenuCommand::InstallDriver);
  help->addSeparator();
  addItem(help, TextId::MenuCloseUpdata, MenuCommand::CloseUpdata);
  addItem(help, TextId::MenuAbout, MenuCommand::About);

  for (QMenu* menu : {file, operation, mode, settings, languages, help}) {
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { applyRules(menu); });
  }
}

QString MainMenu::marked(Mnemonics& group, TextId text) const {
  const QString shown = qtext(text, language_);
  return language_ == kEnglish ? group.mark(shown) : shown;
}

QMenu* MainMenu::addMenu(QMenuBar* bar, TextId title) { return bar->addMenu(marked(barKeys_, title)); }

QAction* MainMenu::addItem(QMenu* menu, TextId text, MenuCommand command) {
  QAction* action = menu->addAction(marked(itemKeys_[menu], text));
  action->setData(static_cast<int>(command));
  action->setObjectName(QStringLiteral("command%1").arg(static_cast<int>(command)));
  actions_[command] = action;
  connect(action, &QAction::triggered, this, [this, command] { onCommand_(command); });
  return action;
}

QAction* MainMenu::action(MenuCommand command) const {
  const auto it = actions_.find(command);
  return it == actions_.end() ? nullptr : it->second;
}

void MainMenu::applyRules(QMenu* menu) {
  const MenuContext context = context_();
  for (QAction* action : menu->actions()) {
    if (action->isSeparator() || !action->data().isValid()) continue;
    const MenuItemState state = menuItemState(static_cast<MenuCommand>(action->data().toInt()), context);
    action->setEnabled(state.enabled);
    action->setCheckable(state.checkable);
    if (state.checkable) action->setChecked(state.checked);
  }
}

}  // namespace kt90::gui
