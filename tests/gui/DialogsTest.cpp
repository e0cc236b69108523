// The real dialogs and the host's way to the UI thread.
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>

#include "gui/Dialogs.h"
#include "gui/UiHost.h"
#include "gui/dialogs/CAboutDlg.h"
#include "gui/dialogs/CGetEditTxtDlg.h"
#include "gui/support/GuiWorld.h"
#include "gui/widgets/CColorStatic.h"

using namespace kt90;
using namespace kt90::gui;
using namespace kt90::gui::test;

namespace {

// Runs `act` on the next modal dialog once it is open; the test fails when none opens.
class DialogAnswer : public QObject {
 public:
  explicit DialogAnswer(std::function<void(QWidget*)> act) : act_(std::move(act)) {
    connect(&timer_, &QTimer::timeout, this, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || done_) return;
      done_ = true;
      timer_.stop();
      act_(modal);
    });
    timer_.start(20);
  }
  bool answered() const { return done_; }

 private:
  std::function<void(QWidget*)> act_;
  QTimer timer_;
  bool done_ = false;
};

QPushButton* buttonWithText(QWidget* dialog, const QString& text) {
  for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
    if (b->text() == text) return b;
  }
  return nullptr;
}

// A Host that notes the thread each call arrived on.
class ThreadNotingHost : public Host {
 public:
  void appendLog(const std::string& text, bool) override { note(text); }
  void showCode(const std::string&) override {}
  void showSummary(const std::string&) override {}
  void setOperationState(OperationState, const std::string&) override {}
  void setProgress(int) override {}
  MessageAnswer messageBox(const std::string& text, MessageButtons) override {
    note(text);
    return MessageAnswer::Yes;
  }
  bool editText(const EntryRequest&, std::string& text) override {
    text = "typed";
    return true;
  }
  void note(const std::string& text) {
    calls.push_back(text);
    onUiThread = onUiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
  }
  std::vector<std::string> calls;
  bool onUiThread = true;
};

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { prepareApplication(); }

  void entryFilterForTypingAndPasting() {
    Host::EntryRequest request;
    request.prompt = "Password";
    request.maxChars = 8;
    request.hexadecimal = true;
    CGetEditTxtDlg hex(request, kEnglish);
    QCOMPARE(hex.windowTitle(), QString("Password"));
    QCOMPARE(hex.findChild<QLabel*>("entryPrompt")->text(), QString("Password"));  // also inside
    QTest::keyClicks(hex.field(), "1a2b-xyz3c4d5e");
    QCOMPARE(hex.text(), QString("1A2B3C4D"));  // upper case, filtered, at most eight
    QCOMPARE(hex.field()->cursorPosition(), 8);

    request.hexadecimal = false;
    request.maxChars = 10;
    request.initial = "12ab34";
    CGetEditTxtDlg dec(request, kEnglish);
    QCOMPARE(dec.text(), QString("1234"));
    dec.field()->clear();
    QApplication::clipboard()->setText("a1b2c3d4e5f6g7h8i9j0k1");
    dec.field()->paste();  // the whole paste is filtered, then cut
    QCOMPARE(dec.text(), QString("1234567890"));
  }

  void entryDialogAnsweredThroughTheRealDialogs() {
    QtDialogs dialogs;
    Host::EntryRequest request;
    request.prompt = "Code";
    DialogAnswer answer([](QWidget* dialog) {
      QTest::keyClicks(dialog->findChild<QLineEdit*>("entryField"), "ab12");
      buttonWithText(dialog, "OK")->click();
    });
    std::string typed;
    QVERIFY(dialogs.editText(nullptr, request, kEnglish, typed));
    QVERIFY(answer.answered());
    QCOMPARE(typed, std::string("AB12"));

    DialogAnswer cancel([](QWidget* dialog) { buttonWithText(dialog, "取消")->click(); });
    QVERIFY(!dialogs.editText(nullptr, request, kChinese, typed));
    QVERIFY(cancel.answered());
  }

  void questionsAreApplicationModalYesNo() {
    QtDialogs dialogs;
    Qt::WindowModality modality = Qt::NonModal;
    DialogAnswer yes([&](QWidget* box) {
      modality = box->windowModality();
      buttonWithText(box, "是")->click();
    });
    QCOMPARE(dialogs.messageBox(nullptr, "keep?", MessageButtons::YesNo, kChinese), MessageAnswer::Yes);
    QCOMPARE(modality, Qt::ApplicationModal);
    DialogAnswer no([](QWidget* box) { buttonWithText(box, "No")->click(); });
    QCOMPARE(dialogs.messageBox(nullptr, "keep?", MessageButtons::YesNo, kEnglish), MessageAnswer::No);
    DialogAnswer ok([](QWidget* box) { buttonWithText(box, "OK")->click(); });
    QCOMPARE(dialogs.messageBox(nullptr, "note", MessageButtons::Ok, kEnglish), MessageAnswer::Ok);
    // Where the question can be cancelled, Escape and the close box cancel; they never say No.
    DialogAnswer escape([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    QCOMPARE(dialogs.messageBox(nullptr, "keep?", MessageButtons::YesNoCancel, kEnglish), MessageAnswer::Cancel);
    DialogAnswer closed([](QWidget* box) { box->close(); });
    QCOMPARE(dialogs.messageBox(nullptr, "keep?", MessageButtons::YesNoCancel, kChinese), MessageAnswer::Cancel);
  }

  void saveTakesTheFormatFromTheChosenTypeNotTheTypedName() {
    GuiWorld world;
    CKT90EXEDlg& w = world.open();
    const QString current = QString::fromStdString(world.programDirectory() + "/samples/blink_vk1620.vk");
    world.dialogs.openFiles = {current};
    w.command(Control::Open);
    QtDialogs real;
    QStringList proposed;
    DialogAnswer answer([&](QWidget* dialog) {
      auto* files = qobject_cast<QFileDialog*>(dialog);
      proposed = files->selectedFiles();
      files->selectNameFilter("HEX文件 (*.hex)");
      files->findChild<QLineEdit*>("fileNameEdit")->setText(world.path("out.bin"));
      QMetaObject::invokeMethod(files, "accept");
    });
    world.dialogs.saves = {real.saveFileName(&w, kChinese, w.statusText()->text())};
    QCOMPARE(proposed, QStringList{current});
    w.command(Control::Save);
    QVERIFY(QFileInfo(world.path("out.bin.hex")).isFile());
    QVERIFY(!QFileInfo::exists(world.path("out.bin")));
    QVERIFY(world.dialogs.unexpected.isEmpty());
  }

  void aboutBoxHasTheNoticeInEnglishOnly() {
    CAboutDlg en(kEnglish, "ABC V1.0");
    QCOMPARE(en.windowTitle(), QString("关于 QD-KT90"));
    QVERIFY(en.findChild<QLabel*>("aboutNotice"));
    DialogAnswer ok([](QWidget* box) { buttonWithText(box, "OK")->click(); });
    QCOMPARE(en.exec(), int(QDialog::Accepted));
    CAboutDlg zh(kChinese, "ABC V1.0");
    QVERIFY(buttonWithText(&zh, "确定"));
    QCOMPARE(zh.windowTitle(), QString("关于 VK-KT90"));
    QVERIFY(!zh.findChild<QLabel*>("aboutNotice"));
  }

  void statusFieldKeepsBlackTextOnItsBackground() {
    CColorStatic field;
    field.setBackgroundColour(QColor(255, 0, 0));
    QCOMPARE(field.palette().color(QPalette::Window), QColor(255, 0, 0));
    QCOMPARE(field.palette().color(QPalette::WindowText), QColor(Qt::black));
  }

  void workerCallsReachTheUiThreadAndWaitForTheAnswer() {
    UiHost host;
    ThreadNotingHost view;
    host.attach(&view);
    MessageAnswer answer = MessageAnswer::No;
    std::string typed;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
      host.appendLog("from the worker", true);
      answer = host.messageBox("question", MessageButtons::YesNo);
      host.editText({}, typed);
      finished = true;
    });
    QVERIFY(QTest::qWaitFor([&] { return finished.load(); }, 5000));
    worker.join();
    QCOMPARE(view.calls, (std::vector<std::string>{"from the worker", "question"}));
    QVERIFY(view.onUiThread);
    QCOMPARE(answer, MessageAnswer::Yes);
    QCOMPARE(typed, std::string("typed"));

    // Without a window: calls are dropped, questions answered No.
    host.detach();
    std::atomic<bool> lateDone{false};
    std::thread late([&] {
      answer = host.messageBox("late", MessageButtons::YesNo);
      lateDone = true;
    });
    QVERIFY(QTest::qWaitFor([&] { return lateDone.load(); }, 5000));
    late.join();
    QCOMPARE(answer, MessageAnswer::No);
    QCOMPARE(view.calls.size(), std::size_t(2));
  }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
