#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/catalogue/card_scanner.h"
#include "core/media/video_frame_grabber.h"
#include "core/common/path_text.h"
#include "core/media/image_capture.h"
#include "core/telemetry/nmea_data.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace dashcard::cli {
namespace {

int runCapture(const QStringList& arguments) {
  QCommandLineParser parser;
  const QCommandLineOption rear(QStringLiteral("rear"), QStringLiteral("Take the frame of the rear video."));
  parser.addOption(rear);
  parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Root folder of the card."));
  parser.addPositionalArgument(QStringLiteral("RECORDING"), QStringLiteral("Relative path or file name of a front video."));
  parser.addPositionalArgument(QStringLiteral("SECONDS"), QStringLiteral("Time of the frame in the clip."));
  parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("Picture to write: .jpg, .jpeg or .png."));
  int exitCode = kExitOk;
  if (!parseArguments(parser, arguments, QStringLiteral("dashcard-cli capture CARD RECORDING SECONDS OUT.jpg|OUT.png [--rear]"),
                      QStringLiteral("Saves the exact video frame at SECONDS. A JPEG carries the GPS position of\n"
                                     "that moment in its EXIF data; a PNG carries no metadata."),
                      &exitCode)) {
    return exitCode;
  }
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 4) {
    printError(QStringLiteral("capture needs CARD, RECORDING, SECONDS and OUT. Try 'dashcard-cli capture --help'."));
    return kExitUsage;
  }
  const QString root = positional.at(0);
  bool ok = false;
  const double seconds = positional.at(2).toDouble(&ok);
  if (!ok || !std::isfinite(seconds) || seconds < 0.0) {
    printError(QStringLiteral("capture: SECONDS must be a number of at least 0, not '%1'.").arg(positional.at(2)));
    return kExitUsage;
  }
  const QString out = QFileInfo(positional.at(3)).absoluteFilePath();
  if (!ImageCapture::fileTypes().contains(QFileInfo(out).suffix().toLower())) {
    printError(QStringLiteral("capture: OUT must end in .jpg, .jpeg or .png."));
    return kExitUsage;
  }
  if (!QFileInfo(root).isDir()) {
    printError(QStringLiteral("capture: %1 is not a folder.").arg(root));
    return kExitUsage;
  }
  const QString wanted = QDir::cleanPath(positional.at(1));
  DCFInfoPtr info;
  for (const DCFInfoPtr& candidate : CardScanner().scan(root).recordings) {
    if (candidate->deltaPath() == wanted || path_text::lastPathComponent(candidate->deltaPath()) == wanted) {
      info = candidate;
      break;
    }
  }
  if (!info) {
    printError(QStringLiteral("capture: no recording '%1' on the card.").arg(positional.at(1)));
    return kExitUsage;
  }
  const QString video = parser.isSet(rear) ? info->secondaryFilePath() : info->filePath();
  if (video.isEmpty()) {
    printError(QStringLiteral("capture: %1 has no rear video.").arg(info->deltaPath()));
    return kExitUsage;
  }

  VideoFrameGrabber grabber(video);
  if (!grabber.isOpen()) {
    printError(QStringLiteral("capture: cannot read %1: %2").arg(video, grabber.errorString()));
    return kExitFailed;
  }
  const double duration = grabber.duration();
  if (duration > 0.0 && seconds > duration) {
    printError(QStringLiteral("capture: %1 is only %2 s long.").arg(path_text::lastPathComponent(video)).arg(duration));
    return kExitUsage;
  }
  const QImage frame = grabber.frameAt(seconds);
  if (frame.isNull()) {
    printError(QStringLiteral("capture: no frame at %1 s in %2.").arg(seconds).arg(video));
    return kExitFailed;
  }

  // The fix of that moment, spread evenly over the clip as the map does.
  info->nmea()->setup();
  const QDateTime userDate = info->startDate().addMSecs(std::llround(seconds * 1000.0));
  const std::optional<CustomLocation> location =
      ImageCapture::snapshotLocation(*info->nmea(), seconds, duration, userDate);
  QString error;
  if (!ImageCapture::writeFileWithCaptureImage(ImageCapture::bitmapImageRepresentation(frame), location, out,
                                               &error)) {
    printError(QStringLiteral("capture: %1").arg(error));
    return kExitFailed;
  }
  QString where = QStringLiteral("no GPS position");
  if (location && QFileInfo(out).suffix().toLower() != QLatin1String("png")) {
    where = QStringLiteral("GPS %1, %2").arg(location->latitude, 0, 'f', 6).arg(location->longitude, 0, 'f', 6);
  }
  printOut(QStringLiteral("Wrote %1 (%2 x %3, %4)").arg(out).arg(frame.width()).arg(frame.height()).arg(where));
  return kExitOk;
}

}  // namespace

int runCaptureCommand(const QStringList& arguments) { return runCapture(arguments); }

}  // namespace dashcard::cli
