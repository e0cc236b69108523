// The window asks before it lets unsaved changes go, and names its file in the title.
#include <QAbstractButton>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <functional>

#include "core/app/Settings.h"
#include "gui/support/GuiWorld.h"
#include "gui/widgets/CQdComboBox.h"
#include "gui/widgets/LogCodeViews.h"

using namespace kt90;
using namespace kt90::gui;
using namespace kt90::gui::test;

class UnsavedChangesTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { prepareApplication(); }

  // Every way of replacing an edited image asks first: Cancel leaves all as it was, Discard
  // lets the command go on, Save saves before it goes on.
  void everyWayOfReplacingTheImageAsksFirst() {
    const auto ran = [](CKT90EXEDlg& w) { return w.views()->logView()->toPlainText().contains("firmware version"); };
    const std::pair<std::function<void(CKT90EXEDlg&)>, std::function<bool(CKT90EXEDlg&, GuiWorld&)>> rows[] = {
        {[](CKT90EXEDlg& w) { w.close(); }, [](CKT90EXEDlg& w, GuiWorld&) { return !w.isVisible(); }},
        {[](CKT90EXEDlg& w) { w.command(Control::Open); },
         [](CKT90EXEDlg&, GuiWorld& world) { return world.dialogs.openFiles.empty(); }},
        {[](CKT90EXEDlg& w) { w.chipSelected(w.chipList()->findText("QD46K025T0")); },
         [](CKT90EXEDlg&, GuiWorld& world) { return world.session->state().chipModelName() == "QD46K025T0"; }},
        {[](CKT90EXEDlg& w) { w.command(Control::Upload); }, [&](CKT90EXEDlg& w, GuiWorld&) { return ran(w); }},
        {[](CKT90EXEDlg& w) { w.command(Control::Read); }, [&](CKT90EXEDlg& w, GuiWorld&) { return ran(w); }},
    };
    for (const auto& [act, wentOn] : rows) {
      for (const SaveChangesAnswer answer :
           {SaveChangesAnswer::Cancel, SaveChangesAnswer::Discard, SaveChangesAnswer::Save}) {
        GuiWorld world;
        world.profile->writeInt(profile::kLanguage, kEnglish);
        CKT90EXEDlg& w = world.open();
        chooseEmulator(w);
        const QString title = QString::fromStdString(windowTitle(world.session->state().settings()));
        const QString file = QString::fromStdString(world.programDirectory() + "/samples/counter_qd45c8k.vk");
        world.dialogs.openFiles = {file};
        w.command(Control::Open);  // nothing to lose yet: no question
        QCOMPARE(w.windowTitle(), "counter_qd45c8k.vk - " + title);
        static_cast<QAbstractButton*>(w.control(Control::Blank))->click();
        QCOMPARE(w.windowTitle(), "counter_qd45c8k.vk* - " + title);

        world.dialogs.openFiles = {file};
        world.dialogs.answers = {MessageAnswer::No};  // the chip change's own question
        world.dialogs.saveChanges = {answer};
        world.dialogs.saves = {Dialogs::SaveChoice{world.path("kept.vk"), SaveType::Project}};
        act(w);
        QVERIFY(world.waitIdle());
        QCOMPARE(world.dialogs.saveChangesAsked, 1);
        QCOMPARE(wentOn(w, world), answer != SaveChangesAnswer::Cancel);
        QCOMPARE(QFile::exists(world.path("kept.vk")), answer == SaveChangesAnswer::Save);
        if (answer == SaveChangesAnswer::Cancel) QVERIFY(w.windowTitle().startsWith("counter_qd45c8k.vk* - "));
      }
    }
  }
};

QTEST_MAIN(UnsavedChangesTest)
#include "UnsavedChangesTest.moc"
