#include "gui/PortMenu.h"

#include <QActionGroup>
#include <QMenu>

#include "core/text/Format.h"
#include "gui/GuiText.h"
#include "link/PortText.h"

namespace kt90::gui {
namespace {

bool sameList(const std::vector<link::SerialPortEntry>& a, const std::vector<link::SerialPortEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].friendlyName() != b[i].friendlyName() || a[i].systemLocation != b[i].systemLocation) return false;
  }
  return true;
}

}  // namespace

PortMenu::PortMenu(QMenu* menu, ShellState& shell, LanguageId language, PortLister lister, PathAsker askPath,
                   QObject* parent)
    : QObject(parent),
      menu_(menu),
      shell_(shell),
      language_(language),
      lister_(std::move(lister)),
      askPath_(std::move(askPath)) {
  // The main menu's title (with its mnemonic) stays; a menu of its own gets one.
  if (menu_->title().isEmpty()) menu_->setTitle(qtext(TextId::MenuPort, language));
  connect(&timer_, &QTimer::timeout, this, &PortMenu::poll);
}

void PortMenu::startPolling(int intervalMs) { timer_.start(intervalMs); }

void PortMenu::poll() {
  std::vector<link::SerialPortEntry> now = lister_();
  if (sameList(now, lastSeen_)) return;
  lastSeen_ = std::move(now);
  rebuild();
}

void PortMenu::rebuild() {
  lastSeen_ = lister_();
  std::vector<std::string> names;
  for (const link::SerialPortEntry& port : link::acceptedPorts(lastSeen_)) names.push_back(port.friendlyName());
  shell_.ports().rebuild(names, shell_.profile(), language_);
  applyOverride();
  fill();
}

void PortMenu::applyOverride() {
  if (!override_) return;
  MemoryProfile scratch;
  PortSelection& ports = shell_.ports();
  if (!override_->emulator) {
    ports.chooseTypedPort(override_->path, scratch, language_);
    return;
  }
  for (std::size_t i = 0; i < ports.entries().size(); ++i) {
    if (isEmulatorPortText(ports.entries()[i])) ports.choose(ports.commandOf(i), scratch);
  }
}

void PortMenu::fill() {
  menu_->clear();
  for (QActionGroup* old : menu_->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly)) delete old;
  auto* group = new QActionGroup(menu_);
  group->setExclusive(true);
  const PortSelection& ports = shell_.ports();
  for (std::size_t i = 0; i < ports.entries().size(); ++i) {
    QAction* entry = menu_->addAction(qstr(ports.entries()[i]));
    entry->setCheckable(true);
    entry->setChecked(ports.chosen() == i);
    const int command = ports.commandOf(i);
    entry->setData(command);
    group->addAction(entry);
    connect(entry, &QAction::triggered, this, [this, command] { choose(command); });
  }
  menu_->addSeparator();
  QAction* other = menu_->addAction(qtext(TextId::PortOtherItem, language_));
  other->setObjectName("portOther");
  connect(other, &QAction::triggered, this, &PortMenu::askForPath);
}

void PortMenu::choose(int command) {
  if (!shell_.ports().choose(command, shell_.profile())) return;
  override_.reset();
  // Only the marks move: the entry that was triggered stays alive.
  for (QAction* action : menu_->actions()) {
    if (action->isCheckable()) action->setChecked(action->data().toInt() == command);
  }
}

void PortMenu::askForPath() {
  const QString path = askPath_();
  if (path.isEmpty()) return;
  shell_.ports().chooseTypedPort(stdstr(path), shell_.profile(), language_);
  override_.reset();
  // Rebuilt once the triggering item has finished its signal.
  QMetaObject::invokeMethod(this, &PortMenu::fill, Qt::QueuedConnection);
}

PortTarget PortMenu::target() const {
  const PortSelection& ports = shell_.ports();
  if (!ports.chosen()) return {};
  if (ports.emulatorChosen()) return {PortTarget::Kind::Emulator, "emulator"};
  const std::string text = ports.chosenText();
  if (const auto path = typedPortPath(text)) return {PortTarget::Kind::Serial, *path};
  // The link's rule: "(COMn)" names COMn; any other entry is opened by the name in its
  // last parentheses, never taken for port 0.
  const link::PortChoice choice = link::portFromEntryText(text);
  if (choice.portName.empty()) return {};
  return {PortTarget::Kind::Serial, choice.portName};
}

}  // namespace kt90::gui
