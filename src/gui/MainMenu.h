#pragma once
#include <QObject>
#include <functional>
#include <map>

#include "core/app/MenuRules.h"
#include "gui/Mnemonics.h"

namespace kt90 {
enum class TextId : int;
}

class QAction;
class QMenu;
class QMenuBar;

namespace kt90::gui {

// The main menu: File, Operation, Mode, Settings, the port menu, Language and Help, every item
// carrying its command number. When a menu opens its items get the enable and check
// rules of the moment. In English the titles and items carry mnemonics.
class MainMenu : public QObject {
  Q_OBJECT
 public:
  using ContextSource = std::function<MenuContext()>;
  using CommandSink = std::function<void(MenuCommand)>;

  MainMenu(QMenuBar* bar, LanguageId language, ContextSource context, CommandSink onCommand, QObject* parent = nullptr);

  // The port menu's place, between "Settings" and "Language".
  QMenu* portMenu() const { return portMenu_; }
  // File > Recent Files, which the window fills when it opens.
  QMenu* recentMenu() const { return recentMenu_; }
  QAction* action(MenuCommand command) const;
  // The rules applied to the items of `menu` (what opening it does).
  void applyRules(QMenu* menu);
  // The letters the menu titles took: the window's controls go on from them.
  const Mnemonics& barKeys() const { return barKeys_; }

 private:
  QMenu* addMenu(QMenuBar* bar, TextId title);
  QAction* addItem(QMenu* menu, TextId text, MenuCommand command);
  QString marked(Mnemonics& group, TextId text) const;

  LanguageId language_;
  ContextSource context_;
  CommandSink onCommand_;
  QMenu* portMenu_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  std::map<MenuCommand, QAction*> actions_;
  Mnemonics barKeys_;
  std::map<QMenu*, Mnemonics> itemKeys_;
};

}  // namespace kt90::gui
