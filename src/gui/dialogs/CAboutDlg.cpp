#include "gui/dialogs/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/GuiText.h"

namespace kt90::gui {

CAboutDlg::CAboutDlg(LanguageId language, const QString& productLine, QWidget* parent) : QDialog(parent) {
  setWindowTitle(qtext(TextId::AboutTitle, language));
  auto* icon = new QLabel(this);
  icon->setPixmap(QIcon(":/kt90/app.png").pixmap(48, 48));

  auto* lines = new QVBoxLayout;
  auto* product = new QLabel(productLine, this);
  product->setObjectName("aboutProduct");
  lines->addWidget(product);
  if (language == kEnglish) {
    auto* notice = new QLabel(qtext(TextId::AboutNotice, language), this);
    notice->setObjectName("aboutNotice");
    notice->setWordWrap(true);
    lines->addWidget(notice);
  }

  auto* ok = new QDialogButtonBox(this);
  ok->addButton(qtext(TextId::ButtonOk, language), QDialogButtonBox::AcceptRole);
  connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* content = new QHBoxLayout;
  content->addWidget(icon, 0, Qt::AlignTop);
  content->addLayout(lines, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(content);
  layout->addWidget(ok);
  setMinimumWidth(360);
}

}  // namespace kt90::gui
