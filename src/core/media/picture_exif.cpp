#include "core/media/picture_exif.h"

// exiv2 0.27 still declares std::auto_ptr in its interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <QFile>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <string>

namespace dashcard {
namespace {

// Degrees from the EXIF degree/minute/second rationals; NaN when unreadable.
double degreesOf(const Exiv2::Exifdatum& datum) {
  if (datum.count() < 1) {
    return std::nan("");
  }
  double degrees = 0.0;
  const double scales[3] = {1.0, 60.0, 3600.0};
  for (long i = 0; i < std::min<long>(3, static_cast<long>(datum.count())); ++i) {
    const Exiv2::Rational part = datum.toRational(i);
    if (part.second == 0) {
      if (i == 0) {
        return std::nan("");
      }
      continue;
    }
    degrees += static_cast<double>(part.first) / static_cast<double>(part.second) / scales[i];
  }
  return degrees;
}

}  // namespace

CustomLocation PictureExif::locationWithImagePath(const QString& path) {
  static std::once_flag muted;
  std::call_once(muted, [] { Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute); });
  if (path.isEmpty()) {
    return CustomLocation::placeholder();
  }
  try {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
#pragma GCC diagnostic pop
    if (image.get() == nullptr) {
      return CustomLocation::placeholder();
    }
    image->readMetadata();
    const Exiv2::ExifData& exif = image->exifData();
    const auto latitudeIt = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitude"));
    const auto longitudeIt = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLongitude"));
    if (latitudeIt == exif.end() || longitudeIt == exif.end()) {
      return CustomLocation::placeholder();
    }
    double north = degreesOf(*latitudeIt);
    double east = degreesOf(*longitudeIt);
    // A damaged tag can give any number: only a place on Earth is a position.
    if (!std::isfinite(north) || !std::isfinite(east) || std::abs(north) > 90.0 || std::abs(east) > 180.0) {
      return CustomLocation::placeholder();
    }
    const auto latitudeRef = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitudeRef"));
    if (latitudeRef != exif.end() && latitudeRef->toString().rfind('S', 0) == 0) {
      north = -north;
    }
    const auto longitudeRef = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLongitudeRef"));
    if (longitudeRef != exif.end() && longitudeRef->toString().rfind('W', 0) == 0) {
      east = -east;
    }
    return CustomLocation(north, east);
  } catch (const Exiv2::AnyError&) {
    return CustomLocation::placeholder();
  } catch (const std::exception&) {
    return CustomLocation::placeholder();
  }
}

}  // namespace dashcard
