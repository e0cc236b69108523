// Menu commands of the window: modes with their locks, protection settings, Check CRC,
// Close Updata, languages, help files, About; the menu's enable and check rules.
#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTest>

#include "core/app/OperatingMode.h"
#include "core/app/ServiceCode.h"
#include "core/base/LocalTime.h"
#include "core/base/ProgramVersion.h"
#include "core/chip/CIniFile.h"
#include "core/progfile/FileHead.h"
#include "gui/DriverSetup.h"
#include "gui/MainMenu.h"
#include "gui/support/GuiWorld.h"
#include "gui/widgets/LogCodeViews.h"
// moc reads the includes of a file with Q_OBJECT and cannot follow the string table's.
#ifndef Q_MOC_RUN
#include "core/text/StringTable.h"
#endif

using namespace kt90;
using namespace kt90::gui;
using namespace kt90::gui::test;

namespace {

QMenu* menuOf(CKT90EXEDlg& w, int index) { return w.menuBar()->actions().at(index)->menu(); }

// Opens a menu's rules as opening it does, then reads an item.
QAction* item(CKT90EXEDlg& w, MenuCommand command) {
  QAction* action = w.mainMenu()->action(command);
  for (QAction* top : w.menuBar()->actions()) {
    if (top->menu() && top->menu()->actions().contains(action)) emit top->menu()->aboutToShow();
  }
  return action;
}

}  // namespace

class MenuCommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { prepareApplication(); }

  void menusHoldEveryItemWithItsCommand() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    // English mnemonics: menu titles, items within their menu, then the controls.
    const QStringList titles = {"&File", "&Operation", "&Mode", "&Settings", "&UART", "&Language", "&Help"};
    for (int i = 0; i < titles.size(); ++i) QCOMPARE(w.menuBar()->actions()[i]->text(), titles[i]);
    QCOMPARE(w.mainMenu()->action(MenuCommand::ResearchMode)->text(), QString("&R&&D mode"));
    QCOMPARE(w.mainMenu()->action(MenuCommand::Quit)->text(), QString("Qu&it"));
    QCOMPARE(static_cast<QAbstractButton*>(w.control(Control::Download))->text(), QString("&Download"));
    QCOMPARE(static_cast<QAbstractButton*>(w.control(Control::Save))->text(), QString("S&ave File[qd/hex/bin]"));
    QCOMPARE(w.mainMenu()->action(MenuCommand::CheckCrc)->data().toInt(), 32804);
    QCOMPARE(w.mainMenu()->action(MenuCommand::Quit)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
    int separators = 0;
    for (QAction* a : menuOf(w, 6)->actions()) separators += a->isSeparator();
    QCOMPARE(separators, 2);
    QCOMPARE(menuOf(w, 6)->actions().last()->text(), QString("&About"));

    // Ctrl+O opens; Ctrl+S does nothing while Save is off (Production mode).
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    world.dialogs.openFiles = {""};
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QVERIFY(world.dialogs.openFiles.empty());
    w.menuCommand(MenuCommand::ProductionMode);
    QVERIFY(!w.control(Control::Save)->isEnabled());
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(world.dialogs.unexpected.isEmpty());
  }

  void modesWithTheirLocks() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    WorkingState& state = world.session->state();
    QVERIFY(item(w, MenuCommand::ResearchMode)->isChecked());
    QVERIFY(item(w, MenuCommand::FilePassword)->isEnabled());

    // A password for the file, then Production mode: settings locked, code masked.
    world.dialogs.entries = {std::string("12ab")};
    w.menuCommand(MenuCommand::FilePassword);
    QCOMPARE(world.dialogs.prompts.back().prompt, std::string(text(TextId::FilePasswordPrompt, kEnglish)));
    QVERIFY(world.dialogs.prompts.back().hexadecimal);
    QCOMPARE(state.image().protection.filePassword, (std::array<std::uint8_t, 4>{0x12, 0xAB, 0, 0}));
    w.menuCommand(MenuCommand::ProductionMode);
    QCOMPARE(state.operatingMode(), kProductionMode);
    QCOMPARE(world.profile->readInt(profile::kAccount, -1), 0);
    QVERIFY(item(w, MenuCommand::ProductionMode)->isChecked());
    QVERIFY(!item(w, MenuCommand::ResearchMode)->isChecked());
    for (MenuCommand c : {MenuCommand::FilePassword, MenuCommand::ProgramFileTimes, MenuCommand::UidSettings}) {
      QVERIFY(!item(w, c)->isEnabled());
    }
    QVERIFY(w.views()->codeView()->toPlainText().contains("****"));
    QVERIFY(!w.control(Control::Save)->isEnabled());

    // R&D: four digits are not the password; eight are.
    world.dialogs.entries = {std::string("12AB")};
    w.menuCommand(MenuCommand::ResearchMode);
    QCOMPARE(world.dialogs.messages.back(), QString(text(TextId::PasswordWrong, kEnglish)));
    QCOMPARE(state.operatingMode(), kProductionMode);
    world.dialogs.entries = {std::nullopt};  // Cancel: nothing, no message
    const int messages = world.dialogs.messages.size();
    w.menuCommand(MenuCommand::ResearchMode);
    QCOMPARE(world.dialogs.messages.size(), messages);
    world.dialogs.entries = {std::string("12AB0000")};
    w.menuCommand(MenuCommand::ResearchMode);
    QCOMPARE(state.operatingMode(), kResearchMode);
    QVERIFY(w.control(Control::Save)->isEnabled());
    QVERIFY(w.views()->codeView()->toPlainText().contains("FFFF"));

    // Service mode with the code of this hour; a wrong one first.
    world.dialogs.entries = {std::string("00000000")};
    w.menuCommand(MenuCommand::ServiceMode);
    QCOMPARE(state.operatingMode(), kResearchMode);
    QVERIFY(w.control(Control::Read)->isHidden());
    world.dialogs.entries = {serviceCode(localNow())};
    w.menuCommand(MenuCommand::ServiceMode);
    QCOMPARE(state.operatingMode(), kServiceMarker);
    QVERIFY(!w.control(Control::Read)->isHidden());
    QVERIFY(w.control(Control::HwTest)->isEnabled());
    QVERIFY(item(w, MenuCommand::ServiceMode)->isChecked());
    QCOMPARE(static_cast<std::uint32_t>(world.profile->readInt(profile::kAccount, 0)), kServiceMarker);
    QVERIFY(world.dialogs.unexpected.isEmpty());
  }

  void programFileTimesAndCheckCrc() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    WorkingState& state = world.session->state();
    world.dialogs.entries = {std::string("300"), std::string("7")};
    w.menuCommand(MenuCommand::ProgramFileTimes);
    QCOMPARE(state.image().head.programLimit(), 300u);
    QCOMPARE(state.image().protection.downloadLimit, 7);
    QVERIFY(!world.dialogs.prompts.front().hexadecimal);
    QCOMPARE(world.dialogs.prompts.front().maxChars, 10);
    QCOMPARE(world.dialogs.prompts.back().maxChars, 3);
    QVERIFY(w.summaryView()->toPlainText().contains("Program limit:  0x00012C"));

    const std::uint8_t flags = state.image().head.flags();
    QVERIFY(!item(w, MenuCommand::CheckCrc)->isChecked());
    w.menuCommand(MenuCommand::CheckCrc);
    QCOMPARE(state.image().head.flags(), static_cast<std::uint8_t>(flags | headflag::kCheckCrc));
    QVERIFY(item(w, MenuCommand::CheckCrc)->isChecked());
    w.menuCommand(MenuCommand::CheckCrc);
    QCOMPARE(state.image().head.flags(), flags);
  }

  void closeUpdataWritesTheSettingsFile() {
    GuiWorld world;
    // The title shows the program's own version, never one a settings file claims.
    world.writeSettings("[Settings]\r\nWndTxt=ABC\r\nVersion=1.0.3\r\n");
    CKT90EXEDlg& w = world.open();
    QCOMPARE(w.windowTitle(), QString("ABC V") + kProgramVersion);
    const CIniFile ini(world.programDirectory() + "/DLL/set.dll");
    QVERIFY(item(w, MenuCommand::CloseUpdata)->isChecked());  // no entry: off
    w.menuCommand(MenuCommand::CloseUpdata);
    QCOMPARE(ini.ReadInt("Settings", "CloseUpdata", -1), 0);
    QVERIFY(!item(w, MenuCommand::CloseUpdata)->isChecked());
    w.menuCommand(MenuCommand::CloseUpdata);
    QCOMPARE(ini.ReadInt("Settings", "CloseUpdata", -1), 1);
    QVERIFY(item(w, MenuCommand::CloseUpdata)->isChecked());
    QCOMPARE(ini.ReadString("Settings", "WndTxt"), std::string("ABC"));
  }

  void languageSwitchWritesTheProfileAndClosesForARestart() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    QVERIFY(item(w, MenuCommand::English)->isChecked());
    QVERIFY(!item(w, MenuCommand::Chinese)->isChecked());
    w.menuCommand(MenuCommand::English);  // the running language: a restart all the same
    QVERIFY(world.session->shell().restartPending());
    QVERIFY(!w.isVisible());
    QCOMPARE(world.profile->readInt(profile::kLanguage, 0), static_cast<int>(kEnglish));
    w.menuCommand(MenuCommand::Chinese);
    QCOMPARE(world.profile->readInt(profile::kLanguage, 0), static_cast<int>(kChinese));
    world.close();

    CKT90EXEDlg& again = world.open();  // what the restarted program sees
    QCOMPARE(world.session->state().language(), kChinese);
    QCOMPARE(again.menuBar()->actions()[5]->text(), QString("语言(language)"));
  }

  void helpFilesAndAbout() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    // Missing files are said so; a present one goes to the platform.
    // Elsewhere than on Windows the udev set-up script runs: through pkexec after a Yes,
    // else the message gives the command to type.
    if (!QStandardPaths::findExecutable("pkexec").isEmpty()) world.dialogs.answers.push_back(MessageAnswer::No);
    w.menuCommand(MenuCommand::InstallDriver);
    QVERIFY(
        world.dialogs.messages.back().contains(kDriverSetupScript ? "Driver/install-driver.sh" : "driver_install.exe"));
    QVERIFY(world.dialogs.opened.isEmpty());
    QFile::remove(QString::fromStdString(world.programDirectory() + "/Driver/install-driver.sh"));
    w.menuCommand(MenuCommand::InstallDriver);
    QVERIFY(world.dialogs.messages.back().contains("is missing"));
    QDir().mkpath(QString::fromStdString(world.programDirectory() + "/DOC"));
    QFile doc(QString::fromStdString(world.programDirectory() + "/DOC/help.pdf"));
    QVERIFY(doc.open(QIODevice::WriteOnly));
    doc.close();
    w.menuCommand(MenuCommand::HelpDocument);
    QCOMPARE(world.dialogs.opened.size(), 1);
    QVERIFY(world.dialogs.opened[0].startsWith("file://"));
    QVERIFY(world.dialogs.opened[0].endsWith("DOC/help.pdf"));
    world.dialogs.openUrlResult = false;
    w.menuCommand(MenuCommand::HelpDocument);
    QVERIFY(world.dialogs.messages.back().contains("No application could open"));

    w.menuCommand(MenuCommand::About);
    QCOMPARE(world.dialogs.abouts, QStringList{QString("KT90 Programmer V") + kProgramVersion});
  }
};

QTEST_MAIN(MenuCommandsTest)
#include "MenuCommandsTest.moc"
