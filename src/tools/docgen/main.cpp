// kt90_docgen: renders the user guides (Markdown) into one PDF. Run with
// QT_QPA_PLATFORM=offscreen where there is no display.
#include <QCommandLineParser>
#include <QGuiApplication>
#include <cstdio>

#include "GuideRenderer.h"

namespace {

// A build step has no session: Qt's note about the missing runtime folder is noise there.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (message.startsWith("QStandardPaths:")) return;
  if (type != QtDebugMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(quietHandler);
  QGuiApplication app(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription("Renders Markdown guides into one PDF, each guide from a new page.");
  parser.addHelpOption();
  const QCommandLineOption output({"o", "output"}, "The PDF to write.", "FILE");
  const QCommandLineOption title("title", "The PDF's title.", "TEXT", "KT90");
  parser.addOption(output);
  parser.addOption(title);
  parser.addPositionalArgument("guides", "Markdown files, in order.", "GUIDE.md...");
  parser.process(app);
  if (!parser.isSet(output) || parser.positionalArguments().isEmpty()) {
    std::fprintf(stderr, "usage: kt90_docgen --output FILE GUIDE.md...\n");
    return 2;
  }
  const QString problem =
      kt90::docgen::renderGuides({parser.value(output), parser.value(title), parser.positionalArguments()});
  if (!problem.isEmpty()) {
    std::fprintf(stderr, "kt90_docgen: %s\n", qPrintable(problem));
    return 1;
  }
  return 0;
}
