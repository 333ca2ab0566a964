// Fuzzes the EXIF reading of still pictures: the bytes as a picture file
// given to PictureExif::locationWithImagePath. A position it reports must be
// a place on Earth.
//
// With DASHCARD_FUZZ_WRITE_SEEDS=<dir> it writes pictures with and without a
// GPS position, as the capture writes them, into <dir> and exits.

#include "core/media/image_capture.h"
#include "core/media/picture_exif.h"
#include "fuzz_support.h"

#include <QImage>

#include <cmath>
#include <cstdint>

namespace {

using namespace dashcard;
using fuzz::check;

void writeSeeds(const QString& dir) {
  QImage image(32, 18, QImage::Format_RGB32);
  image.fill(Qt::darkCyan);
  const double places[][3] = {{35.6812, 139.7671, 40.0}, {-33.8568, 151.2153, 5.0}, {40.7128, -74.0060, -2.0}};
  int n = 0;
  for (const auto& place : places) {
    CustomLocation location;
    location.latitude = place[0];
    location.longitude = place[1];
    location.altitude = static_cast<float>(place[2]);
    location.timestamp = QDateTime(QDate(2024, 1, 1), QTime(12, 0, n), Qt::UTC);
    ImageCapture::writeJPEGFileWithCaptureImage(image, location,
                                                QDir(dir).filePath(QStringLiteral("gps-%1.jpg").arg(++n)));
  }
  ImageCapture::writeJPEGFileWithCaptureImage(image, std::nullopt, QDir(dir).filePath(QStringLiteral("plain.jpg")));
  ImageCapture::writePNGFileWithCaptureImage(image, QDir(dir).filePath(QStringLiteral("plain.png")));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::writeSeedsWhenAsked(writeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static const QString path = fuzz::scratchPath(QStringLiteral("picture.jpg"));
  if (!fuzz::writeInput(path, bytes, size)) {
    return 0;
  }
  const CustomLocation location = PictureExif::locationWithImagePath(path);
  if (location != CustomLocation::placeholder()) {
    check(std::isfinite(location.latitude) && std::abs(location.latitude) <= 90.0);
    check(std::isfinite(location.longitude) && std::abs(location.longitude) <= 180.0);
  }
  return 0;
}
