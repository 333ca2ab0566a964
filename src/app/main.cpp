#include "core/catalogue/thumbnail_cache.h"
#include "core/common/startup_marks.h"
#include "core/common/version.h"
#include "core/playback/media_controller.h"
#include "ui/app/application.h"
#include "ui/app/main_window_controller.h"
#include "ui/app/my_document.h"
#include "ui/app/my_document_controller.h"
#include "ui/app/preferences.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

struct ViewerOptions {
  QCommandLineOption screenshot{
      QStringLiteral("screenshot"),
      QCoreApplication::translate("main",
                                  "Save a picture of the window to FILE once the card's list and first video "
                                  "frame are shown (at most SECONDS of --screenshot-delay), then quit."),
      QStringLiteral("FILE")};
  QCommandLineOption screenshotDelay{QStringLiteral("screenshot-delay"),
                                     QCoreApplication::translate("main", "Longest wait for the screenshot (60)."),
                                     QStringLiteral("SECONDS"), QStringLiteral("60")};
};

// Declares the viewer's command line; the options' texts are translated, so
// a translator must be installed first.
void declare(QCommandLineParser& parser, const ViewerOptions& options) {
  parser.setApplicationDescription(QCoreApplication::translate("main", "Viewer for the memory card of a vehicle camera."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("CARD"), QCoreApplication::translate("main", "Card folder to open."));
  parser.addPositionalArgument(
      QStringLiteral("CARD2"),
      QCoreApplication::translate("main", "A second card, opened in a second window that follows the first."),
      QStringLiteral("[CARD2]"));
  parser.addOption(options.screenshot);
  parser.addOption(options.screenshotDelay);
}

// Qt aborts when its default platform finds no display; a platform named by
// the user (offscreen, a VNC server) is theirs to choose.
bool hasDisplay() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Without a display the help is still answered, and anything else gets a
// plain reason instead of Qt's platform-plugin abort.
int runWithoutDisplay(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationVersion(QString::fromLatin1(dashcard::kVersion));
  QTranslator translator;
  dashcard::Application::loadTranslator(translator, QLocale::system());
  QCoreApplication::installTranslator(&translator);
  QCommandLineParser parser;
  const ViewerOptions options;
  declare(parser, options);
  parser.process(app);  // --help and bad options end here
  std::fputs(qPrintable(QCoreApplication::translate(
                 "main", "dashcard: no display: run under a desktop session or `xvfb-run` (xvfb-run -a dashcard CARD)."
                         "\n")),
             stderr);
  return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Answer --version without needing a display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
      std::printf("dashcard %s\n", dashcard::kVersion);
      return 0;
    }
  }
  if (!hasDisplay()) return runWithoutDisplay(argc, argv);
  dashcard::Application app(argc, argv);

  QCommandLineParser parser;
  const ViewerOptions options;
  declare(parser, options);
  parser.process(app);
  const QCommandLineOption& screenshot = options.screenshot;
  const QCommandLineOption& screenshotDelay = options.screenshotDelay;

  // Old thumbnails and export left-overs go when the viewer quits.
  QObject::connect(&app, &QCoreApplication::aboutToQuit, [] {
    dashcard::ThumbnailCache::cacheCleaning(dashcard::ThumbnailCache::cachesDirectoryPath(),
                                            dashcard::Preferences::load().thumbnailCacheLimit);
  });

  auto* documents = dashcard::MyDocumentController::sharedDocumentController();
  const QStringList cards = parser.positionalArguments();
  if (cards.size() > 2) {
    std::fputs("dashcard: at most two cards (the second follows the first).\n", stderr);
    return 2;
  }
  const QString card = cards.value(0);
  const QString second = cards.value(1);
  for (const QString& path : cards) {
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
      // The empty window that follows would otherwise be all the user learns.
      std::fprintf(stderr, "dashcard: %s does not exist.\n", qPrintable(path));
    }
  }
  QTimer::singleShot(0, &app, [documents, card, second] {
    // An empty window stays behind a refused card, so the user can pick another.
    if (card.isEmpty() ||
        !documents->openCardsInStep(QDir::current().absoluteFilePath(card),
                                    second.isEmpty() ? QString() : QDir::current().absoluteFilePath(second))) {
      documents->newDocument();
    }
  });
  if (parser.isSet(screenshot)) {
    const QString file = parser.value(screenshot);
    const auto shoot = [documents, file] {
      int status = 1;
      for (dashcard::MainWindowController* window : documents->windowControllers()) {
        if (!window->isVisible()) continue;
        if (window->grab().save(file)) status = 0;
        break;
      }
      if (status != 0) std::fprintf(stderr, "dashcard: could not save %s\n", qPrintable(file));
      QCoreApplication::exit(status);
    };
    // Thumbnails, map tiles and the graph draw right after the list and the
    // first frame: a moment more lets them land.
    constexpr int kSettleMs = 1500;
    if (card.isEmpty()) {
      QTimer::singleShot(kSettleMs, &app, shoot);
    } else {
      dashcard::whenStartupComplete([&app, shoot] { QTimer::singleShot(kSettleMs, &app, shoot); });
      // A card that never shows a frame (no recordings, refused) is shot as it is.
      QTimer::singleShot(std::clamp(parser.value(screenshotDelay).toInt(), 0, 600) * 1000, &app, shoot);
    }
  }
  return QApplication::exec();
}
