#include "dialogs/CFootDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include "dialogs/DialogSupport.h"

namespace kt90 {
namespace {

constexpr int kPinsPerSide = 10;
constexpr int kPitch = 28;
constexpr int kBodyWidth = 160;
constexpr int kPinLength = 26;
constexpr int kMargin = 60;

}  // namespace

QPixmap pinAssignmentChart(LanguageId language) {
  const int bodyHeight = kPinsPerSide * kPitch;
  QPixmap chart(kBodyWidth + 2 * (kPinLength + kMargin), bodyHeight + 2 * kMargin);
  chart.fill(Qt::white);
  QPainter p(&chart);
  p.setRenderHint(QPainter::Antialiasing);
  const QRect body(kMargin + kPinLength, kMargin, kBodyWidth, bodyHeight);

  p.setPen(QPen(Qt::black, 2));
  p.setBrush(QColor(60, 60, 60));
  p.drawRoundedRect(body, 6, 6);
  p.setBrush(Qt::white);
  p.drawEllipse(QPoint(body.left() + 18, body.top() + 18), 6, 6);  // the pin-1 dot
  p.drawArc(QRect(body.center().x() - 14, body.top() - 14, 28, 28), 180 * 16, 180 * 16);

  p.setBrush(QColor(196, 200, 206));
  for (int i = 0; i < kPinsPerSide; ++i) {
    const int y = body.top() + kPitch / 2 + i * kPitch;
    const QRect left(body.left() - kPinLength, y - 5, kPinLength, 10);
    const QRect right(body.right(), y - 5, kPinLength, 10);
    p.drawRect(left);
    p.drawRect(right);
    p.drawText(QRect(left.left() - kMargin, y - 10, kMargin - 6, 20), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(i + 1));
    p.drawText(QRect(right.right() + 6, y - 10, kMargin - 6, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QString::number(2 * kPinsPerSide - i));
  }
  p.setPen(Qt::black);
  p.drawText(QRect(0, 8, chart.width(), kMargin - 16), Qt::AlignCenter | Qt::TextWordWrap,
             qtText(TextId::PinPictureSocket, language));
  return chart;
}

CFootDlg::CFootDlg(LanguageId language, QWidget* parent) : QDialog(parent), picture_(new QLabel(this)) {
  setWindowTitle(qtText(TextId::PinPictureTitle, language));
  picture_->setPixmap(pinAssignmentChart(language));
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(qtText(TextId::EditorOk, language), QDialogButtonBox::AcceptRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(picture_);
  layout->addWidget(buttons);
}

}  // namespace kt90
