#include "GuideRenderer.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>
#include <memory>
#include <vector>

namespace kt90::docgen {
namespace {

constexpr int kResolution = 300;
// Picture sizes count in pixels of 96 to the inch, whatever the paint device.
constexpr double kPictureScale = kResolution / 96.0;

QFont bodyFont() {
  // The Latin face first; CJK glyphs come from the fallback.
  QFont font;
  font.setFamilies({"DejaVu Sans", "Noto Sans", "WenQuanYi Micro Hei", "Noto Sans CJK SC"});
  font.setPointSizeF(10);
  return font;
}

// A picture named in the Markdown, beside the Markdown file.
QImage loadPicture(const QTextDocument& doc, const QString& name) {
  return QImage(doc.baseUrl().resolved(QUrl(name)).toLocalFile());
}

// Pictures keep their size unless wider than the text.
void fitPictures(QTextDocument& doc, qreal textWidth) {
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.charFormat().isImageFormat()) continue;
      QTextImageFormat format = fragment.charFormat().toImageFormat();
      const QImage image = loadPicture(doc, format.name());
      if (image.isNull()) continue;
      const qreal width = std::min<qreal>(image.width(), textWidth / kPictureScale);
      format.setWidth(width);
      format.setHeight(width * image.height() / image.width());
      QTextCursor cursor(&doc);
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(format);
    }
  }
}

// Code blocks a little smaller than the text, so command lines fit the page.
void shrinkCode(QTextDocument& doc) {
  QTextCursor cursor(&doc);
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    if (!block.blockFormat().hasProperty(QTextFormat::BlockCodeFence) && !block.blockFormat().nonBreakableLines())
      continue;
    cursor.setPosition(block.position());
    cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setFontPointSize(8);
    cursor.mergeCharFormat(format);
  }
}

struct LaidOutGuide {
  std::unique_ptr<QTextDocument> doc;
  int pages = 0;
};

QString layOut(const QString& source, QPdfWriter& writer, const QSizeF& page, LaidOutGuide& out) {
  QFile file(source);
  if (!file.open(QIODevice::ReadOnly)) return QString("cannot read %1").arg(source);
  out.doc = std::make_unique<QTextDocument>();
  QTextDocument& doc = *out.doc;
  doc.documentLayout()->setPaintDevice(&writer);
  doc.setDefaultFont(bodyFont());
  doc.setBaseUrl(QUrl::fromLocalFile(QFileInfo(source).absolutePath() + "/"));
  doc.setMarkdown(QString::fromUtf8(file.readAll()));
  // Formats change before the first layout: a relayout after them misplaces later blocks.
  shrinkCode(doc);
  fitPictures(doc, page.width() - 2 * doc.documentMargin());
  doc.setPageSize(page);
  out.pages = doc.pageCount();
  return {};
}

void drawFooter(QPainter& painter, const QRectF& area, const QString& text) {
  QFont font = bodyFont();
  font.setPointSizeF(8);
  painter.setFont(font);
  painter.setPen(Qt::darkGray);
  painter.drawText(area, Qt::AlignRight | Qt::AlignBottom, text);
}

}  // namespace

QString renderGuides(const GuideJob& job) {
  if (job.sources.isEmpty()) return "no Markdown file given";
  QPdfWriter writer(job.output);
  writer.setResolution(kResolution);
  writer.setTitle(job.title);
  writer.setCreator("kt90_docgen");
  writer.setPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 16, 18, 14), QPageLayout::Millimeter));
  const QRectF paintRect = writer.pageLayout().paintRectPixels(kResolution);
  const qreal footerHeight = kResolution * 0.3;
  const QSizeF page(paintRect.width(), paintRect.height() - footerHeight);

  std::vector<LaidOutGuide> guides(static_cast<std::size_t>(job.sources.size()));
  int total = 0;
  for (qsizetype i = 0; i < job.sources.size(); ++i) {
    const QString problem = layOut(job.sources[i], writer, page, guides[static_cast<std::size_t>(i)]);
    if (!problem.isEmpty()) return problem;
    total += guides[static_cast<std::size_t>(i)].pages;
  }

  QPainter painter;
  if (!painter.begin(&writer)) return QString("cannot write %1").arg(job.output);
  int pageNumber = 0;
  for (const LaidOutGuide& guide : guides) {
    for (int p = 0; p < guide.pages; ++p) {
      if (pageNumber++ > 0) writer.newPage();
      painter.save();
      const QRectF clip(0, p * page.height(), page.width(), page.height());
      painter.translate(0, -clip.top());
      guide.doc->drawContents(&painter, clip);
      painter.restore();
      drawFooter(painter, QRectF(0, 0, page.width(), paintRect.height()),
                 QString("%1 / %2").arg(pageNumber).arg(total));
    }
  }
  painter.end();
  return {};
}

}  // namespace kt90::docgen
