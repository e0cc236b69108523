// The port menu: accepted ports from a fake list, numbering, radio marks, the profile,
// rebuilds when the list changes, typed ports, the emulator and the command line.
#include <QAction>
#include <QMenu>
#include <QTest>

#include "gui/support/GuiWorld.h"

using namespace kt90;
using namespace kt90::gui;
using namespace kt90::gui::test;

namespace {

struct Entry {
  QString text;
  int command;
  bool checked;
};

std::vector<Entry> entries(CKT90EXEDlg& w) {
  std::vector<Entry> out;
  for (QAction* a : w.portMenu()->menu()->actions()) {
    if (a->isCheckable()) out.push_back({a->text(), a->data().toInt(), a->isChecked()});
  }
  return out;
}

QAction* entryNamed(CKT90EXEDlg& w, const QString& part) {
  for (QAction* a : w.portMenu()->menu()->actions()) {
    if (a->text().contains(part)) return a;
  }
  return nullptr;
}

const std::vector<link::SerialPortEntry> kPorts = {
    {"STMicroelectronics Virtual COM Port", "COM3", "\\\\.\\COM3"},
    {"Bluetooth link", "COM4", "\\\\.\\COM4"},  // not a programmer's: never shown
    {"KT90", "COM7", "\\\\.\\COM7"},
};

}  // namespace

class PortMenuTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { prepareApplication(); }

  void entriesMarksAndTheProfile() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    world.profile->writeString(profile::kComPort, "KT90 (COM7)");
    world.ports = kPorts;
    CKT90EXEDlg& w = world.open();
    QCOMPARE(w.portMenu()->menu()->title(), QString("&UART"));
    const std::vector<Entry> shown = entries(w);
    QCOMPARE(shown.size(), std::size_t(3));
    QCOMPARE(shown[0].text, QString("STMicroelectronics Virtual COM Port (COM3)"));
    QCOMPARE(shown[1].text, QString("KT90 (COM7)"));
    QVERIFY(shown[2].text.contains("emulator"));
    QCOMPARE(shown[0].command, 1224);
    QCOMPARE(shown[2].command, 1226);
    QVERIFY(shown[1].checked && !shown[0].checked);
    QCOMPARE(w.portMenu()->target().portName, std::string("COM7"));
    QVERIFY(entryNamed(w, "Other port..."));

    entryNamed(w, "COM3")->trigger();
    QCOMPARE(world.profile->readString(profile::kComPort, ""),
             std::string("STMicroelectronics Virtual COM Port (COM3)"));
    QCOMPARE(w.portMenu()->target().portName, std::string("COM3"));
    QVERIFY(entries(w)[0].checked && !entries(w)[1].checked);
  }

  void theListIsWatched() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    world.profile->writeString(profile::kComPort, "KT90 (COM7)");
    world.ports = kPorts;
    CKT90EXEDlg& w = world.open();
    // The chosen port is unplugged: the first entry gets the mark, the profile keeps the text.
    world.ports.pop_back();
    QVERIFY(QTest::qWaitFor([&] { return entries(w).size() == 2; }, 5000));
    QVERIFY(entries(w)[0].checked);
    QCOMPARE(world.profile->readString(profile::kComPort, ""), std::string("KT90 (COM7)"));
    // Plugged in again: back on it, numbering from 1224 again.
    world.ports.push_back({"KT90", "COM7", "\\\\.\\COM7"});
    QVERIFY(QTest::qWaitFor([&] { return entries(w).size() == 3; }, 5000));
    QVERIFY(entries(w)[1].checked);
    QCOMPARE(entries(w)[0].command, 1224);
  }

  void portsOutsideTheComRangeAreOpenedByName() {
    GuiWorld world;
    world.ports = {{"KT90", "COM260", ""}, {"KT90 Programmer", "ttyACM0", "/dev/ttyACM0"}};
    CKT90EXEDlg& w = world.open();
    // COM260 has no number the driver could take; it is never port 0 or 4.
    QCOMPARE(w.portMenu()->target().portName, std::string("COM260"));
    entryNamed(w, "ttyACM0")->trigger();
    QCOMPARE(w.portMenu()->target().portName, std::string("ttyACM0"));
    QCOMPARE(w.portMenu()->target().kind, PortTarget::Kind::Serial);
  }

  void typedPortsTheEmulatorAndTheCommandLine() {
    GuiWorld world;
    world.profile->writeInt(profile::kLanguage, kEnglish);
    CKT90EXEDlg& w = world.open();
    QCOMPARE(w.portMenu()->target().kind, PortTarget::Kind::None);  // the emulator is never a default
    world.dialogs.portPaths = {QString("/dev/pts/7")};
    entryNamed(w, "Other port...")->trigger();
    QTest::qWait(10);
    QCOMPARE(w.portMenu()->target().portName, std::string("/dev/pts/7"));
    QVERIFY(entryNamed(w, "Other port (/dev/pts/7)")->isChecked());
    QCOMPARE(world.profile->readString(profile::kComPort, ""), std::string("Other port (/dev/pts/7)"));
    world.close();

    // The next start remembers it, in the other language too.
    world.profile->writeInt(profile::kLanguage, kChinese);
    CKT90EXEDlg& zh = world.open();
    QCOMPARE(zh.portMenu()->menu()->title(), QString("端口"));
    QCOMPARE(zh.portMenu()->target().portName, std::string("/dev/pts/7"));
    world.close();

    // --emulator and --port hold for the run only; the profile keeps the user's choice.
    GuiOptions options;
    options.emulator = true;
    CKT90EXEDlg& emu = world.open(options);
    QCOMPARE(emu.portMenu()->target().kind, PortTarget::Kind::Emulator);
    QCOMPARE(world.profile->readString(profile::kComPort, ""), std::string("Other port (/dev/pts/7)"));
    world.close();
    options = {};
    options.port = "/dev/pts/9";
    CKT90EXEDlg& typed = world.open(options);
    QCOMPARE(typed.portMenu()->target().portName, std::string("/dev/pts/9"));
    QCOMPARE(world.profile->readString(profile::kComPort, ""), std::string("Other port (/dev/pts/7)"));
    QVERIFY(world.dialogs.unexpected.isEmpty());
  }
};

QTEST_MAIN(PortMenuTest)
#include "PortMenuTest.moc"
