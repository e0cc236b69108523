// Device operations from the window, through the built-in emulated programmer.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>

#include "gui/MainMenu.h"
#include "gui/support/GuiWorld.h"
#include "gui/widgets/CColorStatic.h"
#include "gui/widgets/CQdComboBox.h"
#include "gui/widgets/LogCodeViews.h"

using namespace kt90;
using namespace kt90::gui;
using namespace kt90::gui::test;

namespace {

QPushButton* buttonOf(CKT90EXEDlg& w, Control c) { return static_cast<QPushButton*>(w.control(c)); }

// The fresh image has no code words: the window asks first, and is told to go on.
void downloadBlank(GuiWorld& world, CKT90EXEDlg& w) {
  world.dialogs.answers.push_back(MessageAnswer::Yes);
  buttonOf(w, Control::Download)->click();
}

}  // namespace

class OperationsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { prepareApplication(); }

  void downloadThenUploadThroughTheEmulator() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    world.profile->writeString(profile::kChip, "QD45C8K");
    CKT90EXEDlg& w = world.open();
    chooseEmulator(w);
    QCOMPARE(w.portMenu()->target().kind, PortTarget::Kind::Emulator);
    WorkingState& state = world.session->state();
    const QString project = QString::fromStdString(world.programDirectory() + "/samples/counter_qd45c8k.vk");
    world.dialogs.openFiles = {project};
    buttonOf(w, Control::Open)->click();
    const std::vector<std::uint8_t> program(state.image().code().begin(), state.image().code().end());

    QSignalSpy progress(w.progressBar(), &QProgressBar::valueChanged);
    buttonOf(w, Control::Download)->click();
    // The controls go off at once, before the worker has said anything.
    QVERIFY(!w.control(Control::Download)->isEnabled());
    QVERIFY(!w.control(Control::Open)->isEnabled());
    QVERIFY(world.waitIdle());
    QCOMPARE(w.shownState(), OperationState::Passed);
    QCOMPARE(w.statusLabel()->text(), QString("Pass"));
    QCOMPARE(w.statusLabel()->backgroundColour(), QColor(0, 155, 0));
    QVERIFY(w.control(Control::Download)->isEnabled());
    QVERIFY(w.progressBar()->value() > 0);
    QVERIFY(progress.count() > 1);
    QVERIFY(w.views()->logView()->toPlainText().contains("The project file is saved again: " + project));
    QVERIFY(QFile::exists(world.path("emulator.kt90sim")));  // the programmer keeps its state

    // Another chip without the program, then the program back from the programmer.
    world.dialogs.answers = {MessageAnswer::No};
    w.chipSelected(w.chipList()->findText("QD46K025T0"));
    QVERIFY(state.image().code() != program);
    buttonOf(w, Control::Upload)->click();
    QVERIFY(world.waitIdle());
    QVERIFY2(w.shownState() != OperationState::Failed, qPrintable(w.views()->logView()->toPlainText()));
    QCOMPARE(state.chipModelName(), std::string("QD45C8K"));
    QCOMPARE(w.chipList()->currentText(), QString("QD45C8K"));
    QVERIFY(std::equal(program.begin(), program.begin() + 2 * state.image().codeWords(), state.image().code().begin()));
    QVERIFY(world.dialogs.unexpected.isEmpty());
  }

  // Every operation starts its progress from nothing, at once; only a running download
  // offers Cancel, which ends it as a failed one.
  void progressFromNothingAndACancelledDownload() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    chooseEmulator(w);
    downloadBlank(world, w);
    QVERIFY(w.cancelButton()->isEnabled());
    QVERIFY(world.waitIdle());
    QCOMPARE(w.progressBar()->value(), 100);
    w.menuCommand(MenuCommand::Quality);
    QCOMPARE(w.progressBar()->value(), 0);  // before its worker has said anything
    QVERIFY(!w.cancelButton()->isEnabled());
    QVERIFY(world.waitIdle());

    downloadBlank(world, w);
    QVERIFY(QTest::qWaitFor([&] { return w.shownState() == OperationState::Running; }, 10000));
    w.cancelButton()->click();
    QVERIFY(world.waitIdle());
    QCOMPARE(w.shownState(), OperationState::Failed);
    QVERIFY(w.views()->logView()->toPlainText().contains("Download cancelled"));
    QVERIFY(!w.cancelButton()->isEnabled());
  }

  void aSecondOperationIsRefusedByTheGuard() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    chooseEmulator(w);
    downloadBlank(world, w);
    // The menu stays open while the buttons are off; its operation meets the guard.
    QVERIFY(QTest::qWaitFor([&] { return w.shownState() == OperationState::Running; }, 10000));
    QSignalSpy logged(w.views(), &LogCodeViews::logged);
    w.menuCommand(MenuCommand::Quality);
    QVERIFY(world.waitIdle());
    int refusals = 0;
    for (const QList<QVariant>& entry : logged) {
      refusals += entry.at(0).toString().contains("Another programmer operation is running");
    }
    QCOMPARE(refusals, 1);
    QCOMPARE(w.shownState(), OperationState::Passed);  // the download, untouched
    QVERIFY(w.control(Control::Download)->isEnabled());
  }

  // The window asks before it replaces the firmware, naming both versions; the shipped image
  // (V5.1) is older than the emulated programmer's firmware (V5.2), so the question warns.
  void firmwareUpdateAsksNamingBothVersions() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    chooseEmulator(w);
    world.dialogs.answers = {MessageAnswer::No};
    w.menuCommand(MenuCommand::UpdateFirmware);
    QVERIFY(world.waitIdle());
    QCOMPARE(world.dialogs.questions.size(), 1);
    const QString question = world.dialogs.questions[0];
    QVERIFY2(question.contains("KT90 V5.2") && question.contains("KT90 V5.1") && question.contains("downgrade"),
             qPrintable(question));
    QCOMPARE(w.shownState(), OperationState::Failed);
    QVERIFY(w.views()->logView()->toPlainText().contains("the programmer keeps firmware KT90 V5.2"));
  }

  void statisticsAndTheUidQuery() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    chooseEmulator(w);
    w.menuCommand(MenuCommand::Quality);
    QVERIFY(world.waitIdle());
    QVERIFY(w.views()->logView()->toPlainText().contains("Total number: 0,Successes: 0,Quality 0.00%"));
    QCOMPARE(w.shownState(), OperationState::Passed);

    w.menuCommand(MenuCommand::UidSettings);
    QVERIFY(world.waitIdle());
    QCOMPARE(world.session->state().image().protection.uids.size(), std::size_t(1));
    QCOMPARE(world.dialogs.editors, QStringList{"U_ID"});
    QVERIFY(world.dialogs.lastConnected.has_value());
    QCOMPARE(world.dialogs.lastConnected->at(0), 0x4B);
    w.menuCommand(MenuCommand::UidSettings);  // not added twice
    QVERIFY(world.waitIdle());
    QCOMPARE(world.session->state().image().protection.uids.size(), std::size_t(1));
  }

  void throughKt90SimOnAPseudoTerminal() {
    const QString sim = QCoreApplication::applicationDirPath() + "/kt90-sim";
    if (!QFile::exists(sim)) QSKIP("kt90-sim is not built");
    QProcess programmer;
    programmer.start(sim, {"--pty", "--version", "KT90 V5.2"});
    QVERIFY(programmer.waitForStarted(5000));
    QVERIFY(QTest::qWaitFor([&] { return programmer.canReadLine(); }, 5000));
    const std::string pty = programmer.readLine().trimmed().toStdString();
    QVERIFY(!pty.empty());

    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    GuiOptions options;
    options.port = pty;
    CKT90EXEDlg& w = world.open(options);
    QCOMPARE(w.portMenu()->target().portName, pty);
    w.menuCommand(MenuCommand::Quality);
    QVERIFY(world.waitIdle());
    QVERIFY2(w.shownState() == OperationState::Passed, qPrintable(w.views()->logView()->toPlainText()));
    QVERIFY(w.views()->logView()->toPlainText().contains("Total number: 0,Successes: 0"));
    world.close();
    programmer.terminate();
    QVERIFY(programmer.waitForFinished(5000));
  }

  void noPortFailsCleanly() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    downloadBlank(world, w);
    QVERIFY(world.waitIdle());
    QCOMPARE(w.shownState(), OperationState::Failed);
    QVERIFY(w.views()->logView()->toPlainText().contains("No port is chosen"));
    QVERIFY(w.control(Control::Download)->isEnabled());
    // The U_ID settings open without a U_ID to add.
    w.menuCommand(MenuCommand::UidSettings);
    QVERIFY(world.waitIdle());
    QCOMPARE(world.dialogs.editors, QStringList{"U_ID"});
    QVERIFY(!world.dialogs.lastConnected.has_value());
  }

  // A port that is there but that this user may not open points to the driver set-up.
  void aPortThisUserMayNotOpenPointsToTheDriver() {
    if (::geteuid() == 0) QSKIP("root may open every port");
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const std::string slave = ::ptsname(master);
    QVERIFY(::chmod(slave.c_str(), 0) == 0);
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    world.ports = {{"KT90", slave, slave}};
    CKT90EXEDlg& w = world.open();
    downloadBlank(world, w);
    QVERIFY(world.waitIdle());
    QCOMPARE(w.shownState(), OperationState::Failed);
    const QString log = w.views()->logView()->toPlainText();
    QVERIFY2(log.contains(QString::fromStdString("The port " + slave + " is there")), qPrintable(log));
    QVERIFY(log.contains("Help > Install Driver"));
    QVERIFY(!log.contains("not connected"));
    QVERIFY(w.control(Control::Download)->isEnabled());
    ::close(master);
  }

  void closingWaitsForTheRunningOperation() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    chooseEmulator(w);
    downloadBlank(world, w);
    QVERIFY(world.session->runner().busy());
    QVERIFY(!w.close());  // refused for now
    QVERIFY(w.closePending());
    QVERIFY(w.isVisible());
    QVERIFY(QTest::qWaitFor([&] { return !w.isVisible(); }, 60000));  // closes by itself
    QVERIFY(!world.session->runner().busy());
    QCOMPARE(w.shownState(), OperationState::Passed);
  }

  void aLanguageSwitchDuringAnOperationWaitsToo() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    chooseEmulator(w);
    downloadBlank(world, w);
    w.menuCommand(MenuCommand::Chinese);
    QVERIFY(world.session->shell().restartPending());
    QVERIFY(w.isVisible());
    QCOMPARE(world.profile->readInt(profile::kLanguage, 0), static_cast<int>(kChinese));
    // Mode and protection commands wait for the operation; the state is the worker's.
    QMenu* modes = w.menuBar()->actions().at(2)->menu();
    emit modes->aboutToShow();
    QVERIFY(!w.mainMenu()->action(MenuCommand::ProductionMode)->isEnabled());
    w.menuCommand(MenuCommand::ProductionMode);
    QVERIFY(QTest::qWaitFor([&] { return !w.isVisible(); }, 60000));
    QCOMPARE(world.session->state().operatingMode(), kResearchMode);
  }

  void destroyingTheWindowUnderAWorkerLeavesTheStateIntact() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    chooseEmulator(w);
    downloadBlank(world, w);
    // The window goes at once (as at the end of the program); the worker finishes against
    // the session's state and its host drops what it would have shown.
    world.window.reset();
    world.session->runner().waitForAll();
    QVERIFY(!world.session->guard().busy());
    QCOMPARE(world.session->state().chipModelName(), world.session->state().chipList().front());
  }
};

QTEST_MAIN(OperationsTest)
#include "OperationsTest.moc"
