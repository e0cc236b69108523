// The window asks before it lets unsaved changes go, and names its file in the title.
#include <QCheckBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "core/app/Settings.h"
#include "gui/MainMenu.h"
#include "gui/support/GuiWorld.h"
#include "gui/widgets/CQdComboBox.h"
#include "gui/widgets/LogCodeViews.h"

using namespace kt90;
using namespace kt90::gui;
using namespace kt90::gui::test;

namespace {

QAbstractButton* buttonOf(CKT90EXEDlg& w, Control c) { return static_cast<QAbstractButton*>(w.control(c)); }

QString programTitle(GuiWorld& world) { return QString::fromStdString(windowTitle(world.session->state().settings())); }

void chooseEmulator(CKT90EXEDlg& w) {
  for (QAction* action : w.portMenu()->menu()->actions()) {
    if (action->text().contains("emulator")) action->trigger();
  }
}

}  // namespace

class UnsavedChangesTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { prepareApplication(); }

  // Each way of replacing the image meets the question; Cancel leaves everything as it
  // was, Discard lets the command go on.
  void everyWayOfReplacingTheImageAsksFirst() {
    struct Row {
      const char* name;
      std::function<void(CKT90EXEDlg&, GuiWorld&)> act;
      std::function<bool(CKT90EXEDlg&, GuiWorld&)> wentOn;
    };
    const QString other = "QD46K025T0";
    const std::vector<Row> rows = {
        {"quit", [](CKT90EXEDlg& w, GuiWorld&) { w.close(); },
         [](CKT90EXEDlg& w, GuiWorld&) { return !w.isVisible(); }},
        {"open", [](CKT90EXEDlg& w, GuiWorld&) { buttonOf(w, Control::Open)->click(); },
         [](CKT90EXEDlg&, GuiWorld& world) { return world.dialogs.openFiles.empty(); }},
        {"chip change",
         [other](CKT90EXEDlg& w, GuiWorld& world) {
           world.dialogs.answers = {MessageAnswer::No};  // the program is not kept
           w.chipSelected(w.chipList()->findText(other));
         },
         [other](CKT90EXEDlg&, GuiWorld& world) {
           return world.session->state().chipModelName() == other.toStdString();
         }},
        {"upload",
         [](CKT90EXEDlg& w, GuiWorld& world) {
           buttonOf(w, Control::Upload)->click();
           world.waitIdle();
         },
         [](CKT90EXEDlg& w, GuiWorld&) { return w.views()->logView()->toPlainText().contains("firmware version"); }},
        {"read",
         [](CKT90EXEDlg& w, GuiWorld& world) {
           w.command(Control::Read);
           world.waitIdle();
         },
         [](CKT90EXEDlg& w, GuiWorld&) { return w.views()->logView()->toPlainText().contains("firmware version"); }},
    };
    for (const Row& row : rows) {
      for (const SaveChangesAnswer answer : {SaveChangesAnswer::Cancel, SaveChangesAnswer::Discard}) {
        const QString name = QString(row.name) + (answer == SaveChangesAnswer::Cancel ? " cancelled" : " discarded");
        GuiWorld world;
        world.profile->writeInt(profile::kLanguage, kEnglish);
        world.profile->writeString(profile::kChip, "QD45C8K");
        CKT90EXEDlg& w = world.open();
        chooseEmulator(w);
        const QString file = QString::fromStdString(world.programDirectory() + "/samples/counter_qd45c8k.vk");
        world.dialogs.openFiles = {file};
        buttonOf(w, Control::Open)->click();  // nothing to lose yet: no question
        QCOMPARE(world.dialogs.saveChangesAsked, 0);
        QCOMPARE(w.windowTitle(), "counter_qd45c8k.vk - " + programTitle(world));
        buttonOf(w, Control::Blank)->click();
        QVERIFY2(w.windowTitle().startsWith("counter_qd45c8k.vk* - "), qPrintable(name));

        world.dialogs.openFiles = {file};
        world.dialogs.saveChanges = {answer};
        row.act(w, world);
        QVERIFY2(world.dialogs.saveChangesAsked == 1, qPrintable(name));
        QVERIFY2(row.wentOn(w, world) == (answer == SaveChangesAnswer::Discard), qPrintable(name));
        if (answer == SaveChangesAnswer::Cancel) {
          QVERIFY2(w.isVisible() && w.windowTitle().startsWith("counter_qd45c8k.vk* - "), qPrintable(name));
          QCOMPARE(world.session->state().chipModelName(), std::string("QD45C8K"));
        }
        QVERIFY2(world.dialogs.unexpected.isEmpty(), qPrintable(name + ": " + world.dialogs.unexpected.join(", ")));
      }
    }
  }

  // Save, then the command goes on; the saved file leads the recent files, which open
  // again from the File menu.
  void saveFirstThenQuitAndTheRecentFiles() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    world.dialogs.openFiles = {QString::fromStdString(world.programDirectory() + "/samples/blink_vk1620.vk")};
    buttonOf(w, Control::Open)->click();
    buttonOf(w, Control::Blank)->click();
    const QString saved = world.path("kept.vk");
    world.dialogs.saveChanges = {SaveChangesAnswer::Save, SaveChangesAnswer::Save};
    world.dialogs.saves = {std::nullopt, Dialogs::SaveChoice{saved, SaveType::Project}};
    QVERIFY(!w.close());  // the Save dialog cancelled: nothing saved, nothing closed
    QVERIFY(w.isVisible());
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QVERIFY(QFile::exists(saved));
    QVERIFY(world.dialogs.unexpected.isEmpty());

    CKT90EXEDlg& again = world.open();
    QMenu* recent = again.mainMenu()->recentMenu();
    emit recent->aboutToShow();
    QCOMPARE(recent->actions().size(), 2);
    QCOMPARE(recent->actions().at(0)->text(), saved);
    recent->actions().at(0)->trigger();
    QTest::qWait(50);  // the queued open
    QCOMPARE(QString::fromStdString(world.session->state().fileName()), saved);
    QCOMPARE(again.windowTitle(), "kept.vk - " + programTitle(world));
  }
};

QTEST_MAIN(UnsavedChangesTest)
#include "UnsavedChangesTest.moc"
