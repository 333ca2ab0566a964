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

#include <algorithm>
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
  dashcard::Application app(argc, argv);

  QCommandLineParser parser;
  parser.setApplicationDescription(QCoreApplication::translate("main", "Viewer for the memory card of a vehicle camera."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("CARD"), QCoreApplication::translate("main", "Card folder to open."));
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QCoreApplication::translate("main",
                                  "Save a picture of the window to FILE once the card's list and first video "
                                  "frame are shown (at most SECONDS of --screenshot-delay), then quit."),
      QStringLiteral("FILE"));
  const QCommandLineOption screenshotDelay(QStringLiteral("screenshot-delay"),
                                           QCoreApplication::translate("main", "Longest wait for the screenshot (60)."),
                                           QStringLiteral("SECONDS"), QStringLiteral("60"));
  parser.addOption(screenshot);
  parser.addOption(screenshotDelay);
  parser.process(app);

  // Old thumbnails and export left-overs go when the viewer quits.
  QObject::connect(&app, &QCoreApplication::aboutToQuit, [] {
    dashcard::ThumbnailCache::cacheCleaning(dashcard::MediaController::cachesDirectoryPath(),
                                            dashcard::Preferences::load().thumbnailCacheLimit);
  });

  auto* documents = dashcard::MyDocumentController::sharedDocumentController();
  const QString card = parser.positionalArguments().value(0);
  if (!card.isEmpty() && !QFileInfo::exists(card) && !QFileInfo(card).isSymLink()) {
    // The empty window that follows would otherwise be all the user learns.
    std::fprintf(stderr, "dashcard: %s does not exist.\n", qPrintable(card));
  }
  QTimer::singleShot(0, &app, [documents, card] {
    // An empty window stays behind a refused card, so the user can pick another.
    if (card.isEmpty() || !documents->openDocumentWithContentsOfURL(QDir::current().absoluteFilePath(card), true)) {
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
