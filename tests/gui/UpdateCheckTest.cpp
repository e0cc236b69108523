// The update check against a local page: the fetch, the question, "LastTime", and a
// check still under way when the program ends.
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>
#include <atomic>

#include "core/app/UpdateCheck.h"
#include "core/base/LocalTime.h"
#include "core/base/ProgramVersion.h"
#include "gui/HttpFetch.h"
#include "gui/UpdateChecker.h"
#include "gui/support/GuiWorld.h"
#include "gui/support/LocalHttpServer.h"

using namespace kt90;
using namespace kt90::gui;
using namespace kt90::gui::test;

namespace {

const QByteArray kPage = "<html><table><tr><td>软件下载</td><td>ABC V1.2.4</td></tr></table></html>";

QString settingsFor(const LocalHttpServer& server, bool off = false) {
  return QStringLiteral(
             "[Settings]\r\nWndTxt=ABC\r\nVersionLength=5\r\nCheckVersion=1\r\nCloseUpdata=%1\r\n"
             "CK_URL=%2\r\nDL_URL=%3\r\n")
      .arg(off ? 1 : 0)
      .arg(server.url("/v.html"), server.url("/download"));
}

}  // namespace

class UpdateCheckTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { prepareApplication(); }

  void fetchTakesTheBodyWhateverTheStatus() {
    LocalHttpServer server;
    server.body = kPage;
    PageFetch page = fetchPage(server.url("/v.html"), 5000);
    QVERIFY(page.errorText.empty());
    QCOMPARE(QByteArray::fromStdString(page.body), kPage);
    server.status = 404;
    server.body = "missing";
    page = fetchPage(server.url("/v.html"), 5000);
    QVERIFY(page.errorText.empty());
    QCOMPARE(page.body, std::string("missing"));

    quint16 unused = 0;
    {
      QTcpServer probe;  // a port nobody listens on once the probe is gone
      QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
      unused = probe.serverPort();
    }
    page = fetchPage(QStringLiteral("http://127.0.0.1:%1/x").arg(unused), 5000);
    QVERIFY(!page.errorText.empty());
    QVERIFY(page.body.empty());

    // At most a bounded page is read, whether the reply declares its length or not.
    const struct {
      qsizetype size;
      bool withLength;
      bool taken;
    } pages[] = {
        {kUpdatePageMaxBytes, true, true},      {kUpdatePageMaxBytes, false, true},
        {kUpdatePageMaxBytes + 1, true, false}, {kUpdatePageMaxBytes + 1, false, false},
        {16 * 1024 * 1024, false, false},
    };
    for (const auto& p : pages) {
      server.status = 200;
      server.body = QByteArray(p.size, 'x');
      server.withLength = p.withLength;
      page = fetchPage(server.url("/v.html"), 20000);
      QCOMPARE(page.tooLarge, !p.taken);
      QCOMPARE(page.body.size(), static_cast<std::size_t>(p.taken ? p.size : 0));
    }

    server.silent = true;
    std::atomic<bool> cancel{true};
    QElapsedTimer timer;
    timer.start();
    page = fetchPage(server.url("/v.html"), 20000, &cancel);
    QVERIFY(timer.elapsed() < 5000);
    QVERIFY(!page.errorText.empty());
  }

  void aNewerVersionIsOfferedAtStart() {
    LocalHttpServer server;
    server.body = kPage;
    GuiWorld world;
    world.writeSettings(settingsFor(server));
    world.dialogs.answers = {MessageAnswer::Yes};
    CKT90EXEDlg& w = world.open();
    QVERIFY(w.updateChecker());
    QVERIFY(QTest::qWaitFor([&] { return w.updateChecker()->finished(); }, 10000));
    QCOMPARE(server.requests, 1);
    QCOMPARE(world.dialogs.questions.size(), 1);
    QCOMPARE(world.dialogs.questions[0], QString::fromStdString(updateQuestion(kProgramVersion, "1.2.4")));
    QCOMPARE(world.dialogs.opened, QStringList{server.url("/download")});
    QCOMPARE(world.profile->readString(profile::kLastTime, ""), lastTimeText(localNow()));
  }

  void anEqualVersionSaysNothing() {
    LocalHttpServer server;
    server.body = QByteArray("<td>软件下载</td><td>ABC V") + kProgramVersion + "</td>";
    GuiWorld world;
    world.writeSettings(settingsFor(server));
    CKT90EXEDlg& w = world.open();
    QVERIFY(QTest::qWaitFor([&] { return w.updateChecker()->finished(); }, 10000));
    QVERIFY(world.dialogs.messages.isEmpty());
    QCOMPARE(world.profile->readString(profile::kLastTime, ""), lastTimeText(localNow()));
  }

  void switchedOffNoCheckRuns() {
    LocalHttpServer server;
    GuiWorld world;
    world.writeSettings(settingsFor(server, true));
    CKT90EXEDlg& w = world.open();
    QVERIFY(!w.updateChecker());
    QTest::qWait(100);
    QCOMPARE(server.requests, 0);
    QCOMPARE(world.profile->readString(profile::kLastTime, "unset"), std::string("unset"));
  }

  void endingTheProgramCancelsAPendingRequest() {
    LocalHttpServer server;
    server.silent = true;
    GuiWorld world;
    world.writeSettings(settingsFor(server));
    world.open();
    QVERIFY(QTest::qWaitFor([&] { return server.requests == 1; }, 10000));
    QElapsedTimer timer;
    timer.start();
    world.close();  // the window's end stops the check
    QVERIFY(timer.elapsed() < 5000);
    QVERIFY(world.dialogs.unexpected.isEmpty());
  }
};

QTEST_MAIN(UpdateCheckTest)
#include "UpdateCheckTest.moc"
