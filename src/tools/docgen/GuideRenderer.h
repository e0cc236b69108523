#pragma once
#include <QString>
#include <QStringList>

namespace kt90::docgen {

struct GuideJob {
  QString output;       // the PDF to write
  QString title;        // the PDF's title
  QStringList sources;  // Markdown files, each starting on a new page
};

// Renders the Markdown files one after the other into one A4 PDF with page numbers.
// Pictures are looked up beside their Markdown file and scaled to the text width. Needs a
// QGuiApplication. Returns "" or the reason it failed.
QString renderGuides(const GuideJob& job);

}  // namespace kt90::docgen
