// The window's start, its controls and views, the chip change.
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QWheelEvent>

#include "core/app/OperatingMode.h"
#include "core/base/ProgramVersion.h"
#include "core/progfile/FileHead.h"
#include "gui/CommandLine.h"
#include "gui/support/GuiWorld.h"
#include "gui/widgets/CColorStatic.h"
#include "gui/widgets/CQdComboBox.h"
#include "gui/widgets/LogCodeViews.h"

using namespace kt90;
using namespace kt90::gui;
using namespace kt90::gui::test;

class StartupTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { prepareApplication(); }

  void firstStartIsChineseResearchModeFirstChipNoPort() {
    GuiWorld world;
    CKT90EXEDlg& w = world.open();
    const WorkingState& state = world.session->state();
    QCOMPARE(state.language(), kChinese);
    QCOMPARE(state.operatingMode(), kResearchMode);
    QVERIFY(!state.chipList().empty());
    QCOMPARE(state.chipModelName(), state.chipList().front());
    QCOMPARE(w.chipList()->currentIndex(), 0);
    QVERIFY(!world.session->shell().ports().chosen().has_value());
    QCOMPARE(w.portMenu()->target().kind, PortTarget::Kind::None);
    QCOMPARE(w.windowTitle(), QString("KT90 Programmer V") + kProgramVersion);

    // Chinese texts from the string table, menus included, the port menu at position 4.
    QCOMPARE(static_cast<QPushButton*>(w.control(Control::Download))->text(), QString("下载"));
    QCOMPARE(static_cast<QPushButton*>(w.control(Control::HwTest))->text(), QString("维修"));
    const QList<QAction*> menus = w.menuBar()->actions();
    QCOMPARE(menus.size(), 7);
    QCOMPARE(menus[0]->text(), QString("文件"));
    QCOMPARE(menus[4]->text(), QString("端口"));
    QCOMPARE(menus[5]->text(), QString("语言(language)"));

    // Ready: light blue, the chip's short name and signature, the code view in front.
    QCOMPARE(w.shownState(), OperationState::Ready);
    QCOMPARE(w.statusLabel()->backgroundColour(), QColor(135, 206, 255));
    QVERIFY(w.statusLabel()->text().contains('-'));
    QVERIFY(w.views()->codeVisible());
    QVERIFY(w.summaryView()->toPlainText().contains("位宽"));
    QVERIFY(w.views()->codeView()->toPlainText().startsWith("\t0000: "));
    QVERIFY(world.dialogs.unexpected.isEmpty());
  }

  void controlsFollowTheStoredMode() {
    GuiWorld world;
    world.profile->writeInt(profile::kAccount, 0);
    world.profile->writeString(profile::kChip, "VK1620");
    CKT90EXEDlg& w = world.open();
    QCOMPARE(world.session->state().operatingMode(), kProductionMode);
    QVERIFY(w.control(Control::Download)->isEnabled());
    QVERIFY(w.control(Control::Open)->isEnabled());
    for (Control c : {Control::Save, Control::ChipList, Control::Option, Control::SnId, Control::Blank,
                      Control::Program, Control::Verify, Control::Upload, Control::Calibrate}) {
      QVERIFY2(!w.control(c)->isEnabled(), qPrintable(QString::number(static_cast<int>(c))));
    }
    QVERIFY(w.control(Control::Read)->isHidden());
    QVERIFY(w.control(Control::HwTest)->isHidden());
    // The code is not readable in Production mode.
    const QString code = w.views()->codeView()->toPlainText();
    QVERIFY(code.contains("****"));
    QVERIFY(!code.contains("3FFF"));
    world.close();

    world.profile->writeInt(profile::kAccount, static_cast<std::int32_t>(kServiceMarker));
    CKT90EXEDlg& service = world.open();
    for (Control c : {Control::Read, Control::HwTest, Control::Calibrate, Control::Save}) {
      QVERIFY(service.control(c)->isEnabled());
      QVERIFY(!service.control(c)->isHidden());
    }
    QVERIFY(service.views()->codeView()->toPlainText().contains("3FFF"));
    world.close();

    // R&D: CALIBRATE only for the field-calibrated chip.
    world.profile->writeInt(profile::kAccount, 5);
    world.profile->writeString(profile::kChip, "QD46K300T1");
    CKT90EXEDlg& rd = world.open();
    QCOMPARE(world.session->state().operatingMode(), kResearchMode);
    QVERIFY(rd.control(Control::Calibrate)->isEnabled());
    QVERIFY(rd.control(Control::Read)->isHidden());
  }

  void chipChangeAsksOnlyWhenAProgramIsLoaded() {
    GuiWorld world;
    world.profile->writeString(profile::kChip, "VK1620");
    CKT90EXEDlg& w = world.open();
    WorkingState& state = world.session->state();
    const auto indexOf = [&](const char* model) { return w.chipList()->findText(model); };

    // The same chip again: nothing happens, nothing is written.
    world.profile->writeString(profile::kChip, "marker");
    w.chipSelected(indexOf("VK1620"));
    QCOMPARE(world.profile->readString(profile::kChip, ""), std::string("marker"));

    // A blank image: no question, the file name goes.
    w.statusText()->setText("stale");
    w.chipSelected(indexOf("QD45C8K"));
    QVERIFY(world.dialogs.questions.isEmpty());
    QCOMPARE(state.chipModelName(), std::string("QD45C8K"));
    QCOMPARE(world.profile->readString(profile::kChip, ""), std::string("QD45C8K"));
    QVERIFY(w.statusText()->text().isEmpty());

    // A program, kept: code and file name stay, the OPTION editor opens.
    world.dialogs.openFiles = {QString::fromStdString(world.programDirectory() + "/samples/counter_qd45c8k.vk")};
    static_cast<QPushButton*>(w.control(Control::Open))->click();
    QVERIFY(!w.statusText()->text().isEmpty());
    const std::uint16_t first = state.image().word(0);
    QVERIFY(first != 0x3FFF);
    world.dialogs.answers = {MessageAnswer::Yes};
    w.chipSelected(indexOf("QD46K025T0"));
    QCOMPARE(world.dialogs.questions.size(), 1);
    QVERIFY(world.dialogs.questions[0].startsWith("是否保留当前程序？"));
    QCOMPARE(state.image().word(0), first);
    QVERIFY(!w.statusText()->text().isEmpty());
    QCOMPARE(world.dialogs.editors, QStringList{"OPTION"});

    // Not kept: blank code for the new chip, no file name. The kept program was in no
    // file yet, so the window first asks whether to save it.
    world.dialogs.saveChanges = {SaveChangesAnswer::Discard};
    world.dialogs.answers = {MessageAnswer::No};
    w.chipSelected(indexOf("QD45C8K"));
    QCOMPARE(state.image().word(0), state.blankWord());
    QVERIFY(w.statusText()->text().isEmpty());
    QCOMPARE(world.dialogs.editors.size(), 1);
    QCOMPARE(world.dialogs.saveChangesAsked, 1);
    QVERIFY(world.dialogs.unexpected.isEmpty());
  }

  void aCancelledChipChangeChangesNothingAKeptProgramGrowsBlank() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    world.profile->writeString(profile::kChip, "VK1620");
    CKT90EXEDlg& w = world.open();
    WorkingState& state = world.session->state();
    world.dialogs.openFiles = {QString::fromStdString(world.programDirectory() + "/samples/blink_vk1620.vk")};
    w.command(Control::Open);
    const int vk1620 = w.chipList()->currentIndex();
    const QString codeSize = w.summaryView()->toPlainText().section('\n', 1, 1);
    const std::uint16_t first = state.image().word(0);
    QVERIFY(codeSize.startsWith("Code size"));

    // Escape: the question was asked over the old chip, which stays with its program.
    int shownWhileAsked = -1;
    world.dialogs.whileAsked = [&] { shownWhileAsked = w.chipList()->currentIndex(); };
    world.dialogs.answers = {MessageAnswer::Cancel};
    w.chipList()->setCurrentIndex(w.chipList()->findText("WT58P04"));
    emit w.chipList()->activated(w.chipList()->currentIndex());
    QCOMPARE(shownWhileAsked, vk1620);
    QCOMPARE(w.chipList()->currentIndex(), vk1620);
    QCOMPARE(state.chipModelName(), std::string("VK1620"));
    QCOMPARE(state.image().word(0), first);
    QVERIFY(!w.statusText()->text().isEmpty());
    QVERIFY(world.dialogs.editors.isEmpty());
    // English mode asks in English and in Chinese.
    QVERIFY(world.dialogs.questions[0].startsWith("Keep the current program?"));
    QVERIFY(world.dialogs.questions[0].contains("是否保留当前程序？"));

    // Kept on a larger chip: the added words are the new chip's blank, the code size stays.
    world.dialogs.answers = {MessageAnswer::Yes};
    w.chipSelected(w.chipList()->findText("WT58P04"));
    QCOMPARE(state.image().word(0), first);
    QCOMPARE(state.image().word(1024), std::uint16_t(0xFFFF));
    QCOMPARE(state.image().word(4095), std::uint16_t(0xFFFF));
    QCOMPARE(w.summaryView()->toPlainText().section('\n', 1, 1), codeSize);
    QVERIFY(world.dialogs.unexpected.isEmpty());
  }

  void aFailedOpenShowsFailedWithOneMessage() {
    GuiWorld world;
    CKT90EXEDlg& w = world.open();
    QFile junk(world.path("photo.vk"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(3000, '\x7f'));
    junk.close();
    const std::string chip = world.session->state().chipModelName();
    world.dialogs.openFiles = {junk.fileName()};
    static_cast<QPushButton*>(w.control(Control::Open))->click();
    QCOMPARE(w.shownState(), OperationState::Failed);
    QCOMPARE(w.statusLabel()->backgroundColour(), QColor(255, 0, 0));
    QVERIFY(w.views()->logView()->toPlainText().contains("不是.vk烧录文件"));
    QVERIFY(world.dialogs.messages.isEmpty());  // no chip name read from its bytes, no boxes
    QCOMPARE(world.session->state().chipModelName(), chip);
  }

  void aFileNamedOnTheCommandLineOpensAtTheStart() {
    GuiWorld world;
    const QString file = QString::fromStdString(world.programDirectory() + "/samples/blink_vk1620.vk");
    CKT90EXEDlg& w = world.open(parseCommandLine({"kt90", "--emulator", file}));
    QCOMPARE(w.statusText()->text(), file);
    QCOMPARE(world.session->state().chipModelName(), std::string("VK1620"));
  }

  void theWindowOpensInsideTheScreenAndTheCodeViewTakesCtrlEnd() {
    GuiWorld world;
    CKT90EXEDlg& w = world.open();
    const QRect area = w.screen()->availableGeometry();
    QVERIFY(area.contains(w.geometry()));
    QVERIFY(w.minimumSizeHint().height() <= 560);  // 900 pixels high at 150 %, less a panel

    QPlainTextEdit* code = w.views()->codeView();
    w.show();
    code->setFocus();
    QScrollBar* bar = code->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QTest::keyClick(code, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(bar->value(), bar->maximum());
    QTest::keyClick(code, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(bar->value(), 0);
  }

  void theMouseWheelNeverChangesTheChip() {
    GuiWorld world;
    CKT90EXEDlg& w = world.open();
    const int before = w.chipList()->currentIndex();
    QWheelEvent wheel(QPointF(5, 5), w.chipList()->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.chipList(), &wheel);
    QCOMPARE(w.chipList()->currentIndex(), before);
    QVERIFY(world.dialogs.questions.isEmpty());
  }

  void checkBoxesAndEditorButtons() {
    GuiWorld world;
    CKT90EXEDlg& w = world.open();
    auto* blank = static_cast<QCheckBox*>(w.control(Control::Blank));
    const bool was = blank->isChecked();
    blank->click();
    QCOMPARE(world.session->state().image().head.flag(headflag::kBlank), !was);
    blank->click();
    QCOMPARE(world.session->state().image().head.flag(headflag::kBlank), was);

    // The editor buttons open their editors.
    for (Control c : {Control::Option, Control::SnId}) static_cast<QPushButton*>(w.control(c))->click();
    w.command(Control::Calibrate);
    QCOMPARE(world.dialogs.editors, (QStringList{"OPTION", "SN/ID", "CALIBRATE"}));
  }

  void logViewRulesAndRadioButtons() {
    GuiWorld world;
    CKT90EXEDlg& w = world.open();
    LogCodeViews* views = w.views();
    w.appendLog("first\r\n", true);
    QVERIFY(!views->codeVisible());
    QVERIFY(views->showLogButton()->isChecked());
    QVERIFY(views->logView()->toPlainText().endsWith("first\n"));
    QCOMPARE(views->logView()->toPlainText().at(2), QChar(':'));  // "HH:MM:SS "

    views->showCodeButton()->click();
    QVERIFY(views->codeVisible());
    w.appendLog("CLEAR", true);  // empties the log, no time stamp, the view stays
    QVERIFY(views->logView()->toPlainText().isEmpty());
    QVERIFY(views->codeVisible());

    // Each cut to 1,023, each on a line of its own although none ends in a line break.
    for (int i = 0; i < 4; ++i) w.appendLog(std::string(1100, 'x'), false);
    QCOMPARE(views->logView()->toPlainText().size(), 4 * 1023 + 3);
    QCOMPARE(views->logView()->document()->blockCount(), 4);
    w.appendLog(std::string(10, 'y'), false);
    QCOMPARE(views->logView()->toPlainText().size(), 4 * 1023 + 3 + 11);
    // Long lines wrap: no sideways scrolling to their end.
    QCOMPARE(views->logView()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    w.appendLog("next", false);  // past 4,096: emptied first
    QCOMPARE(views->logView()->toPlainText(), QString("next"));
  }

  void resizingGrowsTheViewsNotTheSummary() {
    GuiWorld world;
    CKT90EXEDlg& w = world.open();
    w.resize(800, 600);
    QTest::qWait(20);
    const int summaryWidth = w.summaryView()->width();
    const QSize views = w.views()->size();
    const int pathWidth = w.statusText()->width();
    w.resize(1100, 800);
    QTest::qWait(20);
    QCOMPARE(w.summaryView()->width(), summaryWidth);
    QVERIFY(w.views()->width() > views.width());
    QVERIFY(w.views()->height() > views.height());
    QVERIFY(w.statusText()->width() > pathWidth);
    QVERIFY(w.progressBar()->width() > pathWidth);
  }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
