// The EXIF reader as a module of its own, opened at run time by
// PictureInfo: exiv2 is only loaded by programs that meet a picture, and
// the command-line scan starts without it.

// exiv2 0.27 still declares std::auto_ptr in its interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <algorithm>
#include <cmath>
#include <mutex>
#include <string>

#include "core/catalogue/exif_gps_module.h"

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

extern "C" __attribute__((visibility("default"))) int dashcard_exif_gps_position(const char* path, double* latitude,
                                                                                 double* longitude) {
  static std::once_flag muted;
  std::call_once(muted, [] { Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute); });
  if (path == nullptr || *path == '\0') {
    return 0;
  }
  try {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(std::string(path));
#pragma GCC diagnostic pop
    if (image.get() == nullptr) {
      return 0;
    }
    image->readMetadata();
    const Exiv2::ExifData& exif = image->exifData();
    const auto latitudeIt = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitude"));
    const auto longitudeIt = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLongitude"));
    if (latitudeIt == exif.end() || longitudeIt == exif.end()) {
      return 0;
    }
    double north = degreesOf(*latitudeIt);
    double east = degreesOf(*longitudeIt);
    // A damaged tag can give any number: only a place on Earth is a position.
    if (!std::isfinite(north) || !std::isfinite(east) || std::abs(north) > 90.0 || std::abs(east) > 180.0) {
      return 0;
    }
    const auto latitudeRef = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitudeRef"));
    if (latitudeRef != exif.end() && latitudeRef->toString().rfind('S', 0) == 0) {
      north = -north;
    }
    const auto longitudeRef = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLongitudeRef"));
    if (longitudeRef != exif.end() && longitudeRef->toString().rfind('W', 0) == 0) {
      east = -east;
    }
    *latitude = north;
    *longitude = east;
    return 1;
  } catch (const Exiv2::AnyError&) {
    return 0;
  } catch (const std::exception&) {
    return 0;
  }
}
