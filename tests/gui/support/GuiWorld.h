#pragma once
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "gui/CKT90EXEDlg.h"
#include "gui/support/ScriptedDialogs.h"
#include "link/QtProfile.h"

namespace kt90::gui::test {

// A world for one test: a program directory of its own (a copy of the shipped one), a
// profile in a temporary folder that starts empty, fake serial ports, scripted dialogs,
// and the session with its window once opened.
class GuiWorld {
 public:
  GuiWorld();
  ~GuiWorld();

  // Replaces the settings file's content.
  void writeSettings(const QString& content);
  // Opens the session and its window and starts it (as the program does).
  CKT90EXEDlg& open(GuiOptions options = {});
  // Closes the window (as its close box does) and ends the session.
  void close();
  // Waits until no device operation runs.
  bool waitIdle(int timeoutMs = 60000);

  QString path(const QString& name) const { return dir.filePath(name); }
  const std::string& programDirectory() const { return programDir; }

  QTemporaryDir dir;
  std::string programDir;
  std::unique_ptr<link::QtProfile> profile;
  ScriptedDialogs dialogs;
  std::vector<link::SerialPortEntry> ports;
  std::unique_ptr<Session> session;
  std::unique_ptr<CKT90EXEDlg> window;
};

// Copies a folder with everything below it.
bool copyFolder(const QString& from, const QString& to);

// Points the window at the emulated programmer, as its port menu does.
void chooseEmulator(CKT90EXEDlg& w);

// Sets up the application of a test executable: offscreen-friendly resources and a
// profile location in a temporary folder.
void prepareApplication();

}  // namespace kt90::gui::test
