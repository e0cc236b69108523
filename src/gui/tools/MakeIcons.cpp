// Draws the program's icons into PNG files: kt90_make_icons OUTPUT_DIR
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr QColor kInk{40, 52, 70};
constexpr QColor kChip{52, 58, 66};
constexpr QColor kPin{196, 200, 206};
constexpr QColor kBlue{38, 120, 210};
constexpr QColor kGreen{34, 150, 70};
constexpr QColor kAmber{232, 170, 40};

QImage canvas(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

// A chip body with pins on two sides, in a box of `r`.
void drawChip(QPainter& p, const QRectF& r) {
  const double pin = r.width() / 10;
  p.setPen(Qt::NoPen);
  p.setBrush(kPin);
  for (int i = 0; i < 4; ++i) {
    const double y = r.top() + r.height() * (0.2 + 0.2 * i);
    p.drawRect(QRectF(r.left(), y - pin / 2, r.width(), pin));
  }
  p.setBrush(kChip);
  p.drawRoundedRect(r.adjusted(r.width() * 0.16, 0, -r.width() * 0.16, 0), pin, pin);
  p.setBrush(QColor(90, 96, 104));
  p.drawEllipse(QPointF(r.left() + r.width() * 0.32, r.top() + r.height() * 0.14), pin * 0.6, pin * 0.6);
}

void drawArrow(QPainter& p, const QRectF& r, bool down, const QColor& colour) {
  QPainterPath path;
  const double cx = r.center().x();
  const double shaft = r.width() * 0.18;
  const double head = r.height() * 0.45;
  if (down) {
    path.moveTo(cx - shaft, r.top());
    path.lineTo(cx + shaft, r.top());
    path.lineTo(cx + shaft, r.bottom() - head);
    path.lineTo(r.right(), r.bottom() - head);
    path.lineTo(cx, r.bottom());
    path.lineTo(r.left(), r.bottom() - head);
    path.lineTo(cx - shaft, r.bottom() - head);
  } else {
    path.moveTo(cx - shaft, r.bottom());
    path.lineTo(cx + shaft, r.bottom());
    path.lineTo(cx + shaft, r.top() + head);
    path.lineTo(r.right(), r.top() + head);
    path.lineTo(cx, r.top());
    path.lineTo(r.left(), r.top() + head);
    path.lineTo(cx - shaft, r.top() + head);
  }
  path.closeSubpath();
  p.setPen(QPen(colour.darker(140), r.width() / 24));
  p.setBrush(colour);
  p.drawPath(path);
}

QImage appIcon(int size) {
  QImage image = canvas(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const double s = size;
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawRoundedRect(QRectF(0.04 * s, 0.04 * s, 0.92 * s, 0.92 * s), 0.18 * s, 0.18 * s);
  drawChip(p, QRectF(0.2 * s, 0.22 * s, 0.6 * s, 0.56 * s));
  p.setPen(Qt::white);
  QFont font("DejaVu Sans");
  font.setBold(true);
  font.setPixelSize(static_cast<int>(0.22 * s));
  p.setFont(font);
  p.drawText(QRectF(0.2 * s, 0.22 * s, 0.6 * s, 0.56 * s), Qt::AlignCenter, "90");
  return image;
}

QImage openIcon(int size) {
  QImage image = canvas(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const double s = size;
  p.setPen(QPen(kAmber.darker(150), s / 24));
  p.setBrush(kAmber.darker(115));
  QPainterPath back;
  back.moveTo(0.06 * s, 0.22 * s);
  back.lineTo(0.38 * s, 0.22 * s);
  back.lineTo(0.46 * s, 0.30 * s);
  back.lineTo(0.90 * s, 0.30 * s);
  back.lineTo(0.90 * s, 0.84 * s);
  back.lineTo(0.06 * s, 0.84 * s);
  back.closeSubpath();
  p.drawPath(back);
  p.setBrush(kAmber);
  QPainterPath front;
  front.moveTo(0.16 * s, 0.42 * s);
  front.lineTo(0.98 * s, 0.42 * s);
  front.lineTo(0.88 * s, 0.84 * s);
  front.lineTo(0.06 * s, 0.84 * s);
  front.closeSubpath();
  p.drawPath(front);
  return image;
}

QImage saveIcon(int size) {
  QImage image = canvas(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const double s = size;
  p.setPen(QPen(kInk, s / 24));
  p.setBrush(kBlue);
  QPainterPath body;
  body.moveTo(0.1 * s, 0.1 * s);
  body.lineTo(0.76 * s, 0.1 * s);
  body.lineTo(0.9 * s, 0.24 * s);
  body.lineTo(0.9 * s, 0.9 * s);
  body.lineTo(0.1 * s, 0.9 * s);
  body.closeSubpath();
  p.drawPath(body);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(0.24 * s, 0.1 * s, 0.44 * s, 0.26 * s));
  p.drawRect(QRectF(0.2 * s, 0.54 * s, 0.6 * s, 0.36 * s));
  p.setBrush(kInk);
  p.drawRect(QRectF(0.52 * s, 0.14 * s, 0.1 * s, 0.18 * s));
  return image;
}

QImage transferIcon(int size, bool down) {
  QImage image = canvas(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const double s = size;
  drawChip(p, QRectF(0.3 * s, 0.5 * s, 0.62 * s, 0.46 * s));
  drawArrow(p, QRectF(0.04 * s, 0.04 * s, 0.44 * s, 0.6 * s), down, down ? kGreen : kBlue);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
  bool ok = appIcon(256).save(out.filePath("app.png"));
  ok = openIcon(32).save(out.filePath("open.png")) && ok;
  ok = saveIcon(32).save(out.filePath("save.png")) && ok;
  ok = transferIcon(32, true).save(out.filePath("download.png")) && ok;
  ok = transferIcon(32, false).save(out.filePath("upload.png")) && ok;
  return ok ? 0 : 1;
}
