#include <gtest/gtest.h>

#include <QLabel>

#include "dialogs/CFootDlg.h"

namespace kt90 {
namespace {

TEST(FootDialog, OnePictureTitledInEachLanguage) {
  CFootDlg chinese(kChinese);
  CFootDlg english(kEnglish);
  EXPECT_EQ(chinese.windowTitle(), QString::fromUtf8("脚位图"));
  EXPECT_EQ(english.windowTitle(), "Pin Assignment");
  ASSERT_FALSE(english.picture()->pixmap().isNull());
  EXPECT_EQ(english.picture()->pixmap().size(), chinese.picture()->pixmap().size());
  english.accept();
  EXPECT_EQ(english.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace kt90
