// The window in both languages, grabbed offscreen. With KT90_SCREENSHOT_DIR set, the
// pictures are written there (docs/screenshot-en.png and -zh.png come from this; with
// QT_SCALE_FACTOR=1.5 they are screenshot-en-150.png and -zh-150.png).
#include <QDir>
#include <QPixmap>
#include <QTest>

#include "core/app/OperatingMode.h"
#include "gui/support/GuiWorld.h"

using namespace kt90;
using namespace kt90::gui;
using namespace kt90::gui::test;

class ScreenshotTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { prepareApplication(); }

  void bothLanguages() {
    for (LanguageId language : {kEnglish, kChinese}) {
      GuiWorld world;
      world.profile->writeInt(profile::kLanguage, language);
      world.profile->writeString(profile::kChip, "QD45C8K");
      world.profile->writeInt(profile::kAccount, static_cast<std::int32_t>(kServiceMarker));
      world.ports = {{"KT90 Programmer", "COM3", "/dev/ttyACM0"}};
      CKT90EXEDlg& w = world.open();
      world.dialogs.openFiles = {QString::fromStdString(world.programDirectory() + "/samples/counter_qd45c8k.vk")};
      w.command(Control::Open);
      w.resize(900, 640);
      QTest::qWait(50);
      const QPixmap picture = w.grab();
      QVERIFY(!picture.isNull());
      QCOMPARE(picture.deviceIndependentSize().toSize(), w.size());
      const QString dir = qEnvironmentVariable("KT90_SCREENSHOT_DIR");
      if (!dir.isEmpty()) {
        const QString scale = picture.devicePixelRatio() == 1.0
                                  ? QString()
                                  : QStringLiteral("-%1").arg(qRound(picture.devicePixelRatio() * 100));
        const QString name = QStringLiteral("screenshot-%1%2.png").arg(language == kEnglish ? "en" : "zh", scale);
        QVERIFY(picture.save(QDir(dir).filePath(name)));
      }
    }
  }
};

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
