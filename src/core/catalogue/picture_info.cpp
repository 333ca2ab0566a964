#include "core/catalogue/picture_info.h"

#include "core/catalogue/dcf_info.h"
#include "core/common/path_text.h"

#include <QFile>

// exiv2 0.27 still declares std::auto_ptr in its interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <cmath>

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

PictureInfo::PictureInfo(const QString& rootPath, const QString& deltaPath)
    : rootPath_(rootPath),
      deltaPath_(deltaPath),
      filePath_(path_text::appendingPathComponent(rootPath, deltaPath)),
      location_(CustomLocation::placeholder()) {
  fileDate_ = DCFInfo::modificationDate(filePath_);
  fileSize_ = DCFInfo::fileSizeAtPath(filePath_);
  bool ok = false;
  const qint64 number =
      path_text::deletingPathExtension(path_text::lastPathComponent(filePath_)).toLongLong(&ok, 10);
  picFileNumber_ = ok ? number : 10000;
  pictureDateString_ = DCFInfo::displayDateStringWithFilePath(filePath_);
  pictureName_ = pictureDateString_;
  location_ = locationWithImagePath(filePath_);
}

QString PictureInfo::rootPath() const {
  std::lock_guard lock(mutex_);
  return rootPath_;
}

QString PictureInfo::filePath() const {
  std::lock_guard lock(mutex_);
  return filePath_;
}

QString PictureInfo::pictureThumbnailPath() const {
  std::lock_guard lock(mutex_);
  return pictureThumbnailPath_;
}

void PictureInfo::setPictureThumbnailPath(const QString& path) {
  std::lock_guard lock(mutex_);
  pictureThumbnailPath_ = path;
}

std::shared_ptr<DCFInfo> PictureInfo::parentDCFInfo() const {
  std::lock_guard lock(mutex_);
  return parentDCFInfo_.lock();
}

void PictureInfo::setParentDCFInfo(const std::shared_ptr<DCFInfo>& parent) {
  std::lock_guard lock(mutex_);
  parentDCFInfo_ = parent;
}

bool PictureInfo::isProtected() const { return DCFInfo::fileIsProtected(filePath()); }

void PictureInfo::changeWithRootPath(const QString& newRootPath) {
  std::lock_guard lock(mutex_);
  rootPath_ = newRootPath;
  filePath_ = path_text::appendingPathComponent(newRootPath, deltaPath_);
}

CustomLocation PictureInfo::locationWithImagePath(const QString& path) {
  static const bool muted = [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    return true;
  }();
  (void)muted;
  const CustomLocation none = CustomLocation::placeholder();
  if (path.isEmpty()) {
    return none;
  }
  try {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(std::string(QFile::encodeName(path).constData()));
#pragma GCC diagnostic pop
    if (image.get() == nullptr) {
      return none;
    }
    image->readMetadata();
    const Exiv2::ExifData& exif = image->exifData();
    const auto latitudeIt = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitude"));
    const auto longitudeIt = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLongitude"));
    if (latitudeIt == exif.end() || longitudeIt == exif.end()) {
      return none;
    }
    double latitude = degreesOf(*latitudeIt);
    double longitude = degreesOf(*longitudeIt);
    if (!std::isfinite(latitude) || !std::isfinite(longitude)) {
      return none;
    }
    const auto latitudeRef = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitudeRef"));
    if (latitudeRef != exif.end() && latitudeRef->toString().rfind('S', 0) == 0) {
      latitude = -latitude;
    }
    const auto longitudeRef = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLongitudeRef"));
    if (longitudeRef != exif.end() && longitudeRef->toString().rfind('W', 0) == 0) {
      longitude = -longitude;
    }
    return CustomLocation(latitude, longitude);
  } catch (const Exiv2::AnyError&) {
    return none;
  } catch (const std::exception&) {
    return none;
  }
}

}  // namespace dashcard
