#include "gui/support/GuiWorld.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <atomic>

#include "gui/Application.h"

namespace kt90::gui::test {
namespace {

std::atomic<int> worlds{0};

}  // namespace

bool copyFolder(const QString& from, const QString& to) {
  QDir().mkpath(to);
  QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString source = it.next();
    const QString target = to + "/" + QDir(from).relativeFilePath(source);
    if (it.fileInfo().isDir()) {
      QDir().mkpath(target);
    } else if (!QFile::copy(source, target)) {
      return false;
    }
  }
  return true;
}

void chooseEmulator(CKT90EXEDlg& w) {
  for (QAction* action : w.portMenu()->menu()->actions()) {
    if (action->text().contains("emulator")) action->trigger();
  }
}

void prepareApplication() {
  initGuiResources();
  QStandardPaths::setTestModeEnabled(true);
}

GuiWorld::GuiWorld() {
  copyFolder(KT90_TEST_DATA_DIR, dir.filePath("program"));
  programDir = dir.filePath("program").toStdString();
  // Every world has a profile file of its own, empty at first.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("profile"));
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("profile"));
  profile = std::make_unique<link::QtProfile>("Nardex", QStringLiteral("kt90-test-%1").arg(worlds++));
}

GuiWorld::~GuiWorld() { close(); }

void GuiWorld::writeSettings(const QString& content) {
  QFile file(QString::fromStdString(programDir) + "/DLL/set.dll");
  file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  file.write(content.toUtf8());
}

CKT90EXEDlg& GuiWorld::open(GuiOptions options) {
  close();
  if (!options.emulatorState) options.emulatorState = dir.filePath("emulator.kt90sim").toStdString();
  session = std::make_unique<Session>(*profile, programDir, options);
  window = std::make_unique<CKT90EXEDlg>(*session, dialogs, [this] { return ports; });
  window->start();
  window->show();
  return *window;
}

void GuiWorld::close() {
  if (window) {
    // The end of a test, not a user quitting: what the image holds may go unasked.
    session->state().markSaved();
    window->close();
    waitIdle();
    window.reset();
  }
  session.reset();
}

bool GuiWorld::waitIdle(int timeoutMs) {
  if (!session) return true;
  return QTest::qWaitFor([this] { return !session->runner().busy(); }, timeoutMs);
}

}  // namespace kt90::gui::test
