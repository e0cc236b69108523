#pragma once
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/app/ShellState.h"
#include "gui/DeviceConnection.h"
#include "link/PortList.h"

class QMenu;
class QAction;
class QActionGroup;

namespace kt90::gui {

// The port menu: the shell's port selection shown as radio entries (numbered from 1224),
// the "Other port..." item, rebuilt whenever the platform's list of serial ports changes
// (polled about once a second).
class PortMenu : public QObject {
  Q_OBJECT
 public:
  using PortLister = std::function<std::vector<link::SerialPortEntry>()>;
  // Asks for a port path; empty on Cancel.
  using PathAsker = std::function<QString()>;

  PortMenu(QMenu* menu, ShellState& shell, LanguageId language, PortLister lister, PathAsker askPath,
           QObject* parent = nullptr);

  // A port the command line chose for this run: marked after every rebuild, never
  // stored, until the user picks a port.
  struct Override {
    bool emulator = false;
    std::string path;  // when not the emulator
  };
  void setOverride(std::optional<Override> choice) { override_ = std::move(choice); }

  // Enumerates the ports and rebuilds the entries (also when nothing changed).
  void rebuild();
  // Starts the poll; `intervalMs` about 1000.
  void startPolling(int intervalMs);
  // The port command of an entry.
  void choose(int command);
  // Where the marked entry goes: a port name or path, the emulator, or nowhere.
  PortTarget target() const;

  QMenu* menu() const { return menu_; }

 private:
  void poll();
  void fill();
  void askForPath();
  void applyOverride();

  QMenu* menu_;
  ShellState& shell_;
  LanguageId language_;
  PortLister lister_;
  PathAsker askPath_;
  QTimer timer_;
  std::vector<link::SerialPortEntry> lastSeen_;
  std::optional<Override> override_;
};

}  // namespace kt90::gui
