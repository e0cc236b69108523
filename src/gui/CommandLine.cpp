#include "gui/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace kt90::gui {

GuiOptions parseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription("KT90 programmer control program");
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption emulator("emulator", "Use the built-in emulated programmer for this run.");
  const QCommandLineOption port("port", "Use the serial port PATH (or name) for this run.", "PATH");
  const QCommandLineOption dataDir("data-dir", "Program directory (chip definitions, CIF, settings).", "DIR");
  const QCommandLineOption state("emulator-state", "State file of the emulated programmer.", "FILE");
  const QCommandLineOption journal("journal", "Production journal file, postgresql:// server URI, or \"off\".",
                                   "PATH");
  const QCommandLineOption station("station", "The station name records carry (default: the computer's name).",
                                   "NAME");
  parser.addOptions({emulator, port, dataDir, state, journal, station});
  parser.addPositionalArgument("FILE", "A program file (.vk, .hex, .bin, .pro) to open.", "[FILE]");
  parser.process(arguments);

  GuiOptions options;
  options.emulator = parser.isSet(emulator);
  if (parser.isSet(port)) options.port = parser.value(port).toStdString();
  if (parser.isSet(dataDir)) options.dataDir = parser.value(dataDir).toStdString();
  if (parser.isSet(state)) options.emulatorState = parser.value(state).toStdString();
  if (parser.isSet(journal)) options.journal = parser.value(journal).toStdString();
  if (parser.isSet(station)) options.station = parser.value(station).toStdString();
  // Absolute, so a restart after a language switch opens the same file.
  if (!parser.positionalArguments().isEmpty()) {
    options.file = QFileInfo(parser.positionalArguments().front()).absoluteFilePath().toStdString();
  }
  return options;
}

}  // namespace kt90::gui
