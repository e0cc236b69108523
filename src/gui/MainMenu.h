#pragma once
#include <QObject>
#include <functional>
#include <map>

#include "core/app/MenuRules.h"

namespace kt90 {
enum class TextId : int;
}

class QAction;
class QMenu;
class QMenuBar;

namespace kt90::gui {

// The main menu: Operation, Mode, Settings, the port menu, Language and Help, every item
// carrying its command number. When a menu opens its items get the enable and check
// rules of the moment.
class MainMenu : public QObject {
  Q_OBJECT
 public:
  using ContextSource = std::function<MenuContext()>;
  using CommandSink = std::function<void(MenuCommand)>;

  MainMenu(QMenuBar* bar, LanguageId language, ContextSource context, CommandSink onCommand, QObject* parent = nullptr);

  // The port menu's place, between "Settings" and "Language".
  QMenu* portMenu() const { return portMenu_; }
  QAction* action(MenuCommand command) const;
  // The rules applied to the items of `menu` (what opening it does).
  void applyRules(QMenu* menu);

 private:
  QMenu* addMenu(QMenuBar* bar, TextId title);
  QAction* addItem(QMenu* menu, TextId text, MenuCommand command);

  LanguageId language_;
  ContextSource context_;
  CommandSink onCommand_;
  QMenu* portMenu_ = nullptr;
  std::map<MenuCommand, QAction*> actions_;
};

}  // namespace kt90::gui
