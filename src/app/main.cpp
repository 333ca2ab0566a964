#include "core/common/version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <QMainWindow>

#include <clocale>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
  // Answer --version without needing a display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
      std::printf("dashcard %s\n", dashcard::kVersion);
      return 0;
    }
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(dashcard::kApplicationName).toLower());
  QApplication::setApplicationDisplayName(QString::fromLatin1(dashcard::kApplicationName));
  QApplication::setOrganizationName(QString::fromLatin1(dashcard::kOrganizationName).toLower());
  QApplication::setApplicationVersion(QString::fromLatin1(dashcard::kVersion));
  // libmpv refuses to start unless numbers are formatted the C way.
  std::setlocale(LC_NUMERIC, "C");

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Viewer for the memory card of a vehicle camera."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Card folder to open."));
  parser.process(app);

  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Dashcard"));
  auto* label = new QLabel(parser.positionalArguments().value(0, QStringLiteral("No card opened")), &window);
  label->setAlignment(Qt::AlignCenter);
  window.setCentralWidget(label);
  window.resize(1280, 800);
  window.show();
  return QApplication::exec();
}
