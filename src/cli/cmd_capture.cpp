#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/common/path_text.h"
#include "core/media/image_capture.h"
#include "core/media/video_frame_grabber.h"
#include "core/telemetry/nmea_data.h"
#include "core/telemetry/telemetry_moment.h"

#include <QFileInfo>

#include <cmath>

namespace dashcard::cli {

int runCaptureCommand(const QStringList& arguments) {
  CommandArguments command(QStringLiteral("capture"), QStringLiteral("CARD RECORDING SECONDS OUT.jpg|OUT.png [--rear]"),
                           QStringLiteral("Saves the exact video frame at SECONDS. A JPEG carries the GPS position of\n"
                                          "that moment in its EXIF data; a PNG carries no metadata."));
  const QCommandLineOption rear(QStringLiteral("rear"), QStringLiteral("Take the frame of the rear video."));
  command.parser.addOption(rear);
  command.parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Root folder of the card."));
  command.parser.addPositionalArgument(QStringLiteral("RECORDING"),
                                       QStringLiteral("Relative path or file name of a front video."));
  command.parser.addPositionalArgument(QStringLiteral("SECONDS"), QStringLiteral("Time of the frame in the clip."));
  command.parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("Picture to write: .jpg, .jpeg or .png."));
  const QStringList positional =
      command.parse(arguments, 4, 4, QStringLiteral("needs CARD, RECORDING, SECONDS and OUT"));
  bool ok = false;
  const double seconds = positional.at(2).toDouble(&ok);
  if (!ok || !std::isfinite(seconds) || seconds < 0.0) {
    command.refuse(QStringLiteral("SECONDS must be a number of at least 0, not '%1'.").arg(positional.at(2)));
  }
  const QString out = absolutePath(positional.at(3));
  if (!ImageCapture::fileTypes().contains(QFileInfo(out).suffix().toLower())) {
    command.refuse(QStringLiteral("OUT must end in .jpg, .jpeg or .png."));
  }
  command.refuseOutputOnCard(out, positional.at(0));
  const DCFInfoPtr info = command.recording(command.scanCard(positional.at(0)).recordings, positional.at(1));
  const QString video = command.parser.isSet(rear) ? info->secondaryFilePath() : info->filePath();
  if (video.isEmpty()) {
    command.refuse(QStringLiteral("%1 has no rear video.").arg(info->deltaPath()));
  }

  command.failWhenUnreadable(video);
  VideoFrameGrabber grabber(video);
  if (!grabber.isOpen()) {
    command.fail(QStringLiteral("cannot read %1: %2").arg(video, grabber.errorString()));
  }
  const double duration = grabber.duration();
  if (duration > 0.0 && seconds > duration) {
    command.refuse(QStringLiteral("%1 is only %2 s long.").arg(path_text::lastPathComponent(video)).arg(duration));
  }
  const QImage frame = grabber.frameAt(seconds);
  if (frame.isNull()) {
    command.fail(QStringLiteral("no frame at %1 s in %2.").arg(seconds).arg(video));
  }

  // The fix of that moment, spread evenly over the clip as the map does.
  info->nmea()->setup();
  const QDateTime userDate = info->startDate().addMSecs(std::llround(seconds * 1000.0));
  const std::optional<CustomLocation> location =
      TelemetryMoment::at(info->nmea().get(), seconds, duration).captureLocation(userDate);
  QString error;
  if (!ImageCapture::writeFileWithCaptureImage(ImageCapture::bitmapImageRepresentation(frame), location, out, &error)) {
    command.fail(error);
  }
  QString where = QStringLiteral("no GPS position");
  if (location && QFileInfo(out).suffix().toLower() != QLatin1String("png")) {
    where = QStringLiteral("GPS %1, %2").arg(location->latitude, 0, 'f', 6).arg(location->longitude, 0, 'f', 6);
  }
  printOut(QStringLiteral("Wrote %1 (%2 x %3, %4)").arg(out).arg(frame.width()).arg(frame.height()).arg(where));
  return kExitOk;
}

}  // namespace dashcard::cli
