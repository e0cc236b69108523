// The per-user profile in QSettings: keys, types, defaults, and use from two threads.
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

#include "core/app/OperatingMode.h"
#include "link/QtProfile.h"

using namespace kt90;

class QtProfileTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
  }

  void keysTypesAndDefaults() {
    link::QtProfile profile("Nardex", "kt90-profile-test");
    QVERIFY(profile.location().contains("Nardex"));
    QCOMPARE(profile.readInt(profile::kLanguage, profile::kDefaultLanguage), 2052);
    QCOMPARE(profile.readInt(profile::kAccount, profile::kDefaultAccount), 1);
    QCOMPARE(profile.readString(profile::kLastTime, profile::kDefaultLastTime), std::string("2017/3/6"));
    QCOMPARE(profile.readString(profile::kChip, ""), std::string());

    profile.writeInt(profile::kLanguage, 1033);
    profile.writeString(profile::kChip, "QD46K300T1");
    profile.writeString(profile::kComPort, "USB 串行设备 (COM12)");
    profile.writeInt(profile::kAccount, static_cast<std::int32_t>(kServiceMarker));
    link::QtProfile again("Nardex", "kt90-profile-test");  // a later start
    QCOMPARE(again.readInt(profile::kLanguage, 0), 1033);
    QCOMPARE(again.readString(profile::kChip, ""), std::string("QD46K300T1"));
    QCOMPARE(again.readString(profile::kComPort, ""), std::string("USB 串行设备 (COM12)"));
    QCOMPARE(static_cast<std::uint32_t>(again.readInt(profile::kAccount, 0)), kServiceMarker);

    // The whole 32-bit range survives; a text where a number belongs reads as the default.
    again.writeInt(profile::kAccount, static_cast<std::int32_t>(0xFFFFFFFFu));
    QCOMPARE(static_cast<std::uint32_t>(profile.readInt(profile::kAccount, 1)), 0xFFFFFFFFu);
    again.writeString(profile::kLanguage, "english");
    QCOMPARE(profile.readInt(profile::kLanguage, 2052), 2052);

    // Other applications' profiles are their own.
    link::QtProfile other("Nardex", "kt90-other");
    QCOMPARE(other.readString(profile::kChip, "none"), std::string("none"));
  }

  void aSecondThreadWritesLastTimeWhileTheWindowReads() {
    link::QtProfile profile("Nardex", "kt90-threads");
    profile.writeString(profile::kChip, "VK1620");
    std::atomic<bool> done{false};
    std::thread checker([&] {
      for (int i = 0; i < 50; ++i) profile.writeString(profile::kLastTime, "2024/01/" + std::to_string(10 + i % 20));
      done = true;
    });
    int reads = 0;
    while (!done) {
      QCOMPARE(profile.readString(profile::kChip, ""), std::string("VK1620"));
      ++reads;
    }
    checker.join();
    QVERIFY(reads > 0);
    QVERIFY(profile.readString(profile::kLastTime, "").rfind("2024/01/", 0) == 0);
  }

 private:
  QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(QtProfileTest)
#include "QtProfileTest.moc"
