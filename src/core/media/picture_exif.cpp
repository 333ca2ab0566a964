#include "core/media/picture_exif.h"

#include "core/common/regular_file.h"

// exiv2 0.27 still declares std::auto_ptr in its interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

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

// No camera picture comes near this size.
constexpr off_t kMaxPictureBytes = 64 << 20;

// The bytes of the picture at `path`; empty unless it is a regular file of
// at most kMaxPictureBytes. Opened without blocking: a FIFO under a
// picture's name would hang the reader's own open.
std::vector<Exiv2::byte> readPicture(const QString& path) {
  std::vector<Exiv2::byte> bytes;
  struct stat info {};
  const int fd = openRegularFile(path, &info);
  if (fd < 0) {
    return bytes;
  }
  if (info.st_size <= kMaxPictureBytes) {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) {
        continue;
      }
      if (got <= 0) {
        break;  // shorter than it was: what was read is parsed
      }
      done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
  }
  ::close(fd);
  return bytes;
}

}  // namespace

CustomLocation PictureExif::locationWithImagePath(const QString& path) {
  static std::once_flag muted;
  std::call_once(muted, [] { Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute); });
  if (path.isEmpty()) {
    return CustomLocation::placeholder();
  }
  const std::vector<Exiv2::byte> bytes = readPicture(path);
  if (bytes.empty()) {
    return CustomLocation::placeholder();
  }
  try {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(bytes.data(), static_cast<long>(bytes.size()));
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
