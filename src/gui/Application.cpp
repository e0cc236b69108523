#include "gui/Application.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QTranslator>
#include <cstdlib>

#include "core/app/ProgramDir.h"
#include "core/app/WritableFiles.h"
#include "core/base/ProgramVersion.h"
#include "core/journal/JournalLocation.h"
#include "gui/CKT90EXEDlg.h"
#include "gui/CommandLine.h"
#include "gui/Session.h"
#include "link/PortList.h"
#include "link/QtProfile.h"

// Resources of a static library are registered by name, outside any namespace.
static void initResources() { Q_INIT_RESOURCE(kt90); }

namespace kt90::gui {

void initGuiResources() { initResources(); }

namespace {

// Help and version print and exit; they need no display.
bool asksForText(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const QByteArray arg(argv[i]);
    if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v" || arg == "--version") return true;
  }
  return false;
}

}  // namespace

int runApplication(int argc, char** argv) {
  if (asksForText(argc, argv)) {
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationVersion(kProgramVersion);
    parseCommandLine(QCoreApplication::arguments());
    return 0;
  }
  QApplication app(argc, argv);
  initGuiResources();
  const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  QCoreApplication::setOrganizationName("Nardex");
  QCoreApplication::setApplicationName(executable);
  QCoreApplication::setApplicationVersion(kProgramVersion);

  const GuiOptions options = parseCommandLine(QCoreApplication::arguments());
  link::QtProfile profile("Nardex", executable);
  // Qt's own dialogs (file dialogs, standard buttons) speak the program's language too.
  QTranslator qtTexts;
  if (profile.readInt(profile::kLanguage, profile::kDefaultLanguage) == kChinese &&
      qtTexts.load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&qtTexts);
  }
  const std::string exeDir = QCoreApplication::applicationDirPath().toStdString();
  const std::string programDir =
      findProgramDir(options.dataDir, std::getenv("KT90_DATA_DIR"), exeDir, {installedProgramDir(exeDir)});

  bool restart = false;
  {
    Session session(profile, programDir, options);
    session.useJournal(
        journalLocation(options.journal, std::getenv("KT90_JOURNAL"), userDataDir(currentUserEnvironment())));
    QtDialogs dialogs;
    {
      CKT90EXEDlg window(session, dialogs, link::availableSerialPorts);
      window.start();
      window.show();
      app.exec();
      restart = session.shell().restartPending();
    }
    // The window is gone; the session waits for any worker before it goes too.
  }
  if (restart) QProcess::startDetached(QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1));
  return 0;
}

}  // namespace kt90::gui
