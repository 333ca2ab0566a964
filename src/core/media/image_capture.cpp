#include "core/media/image_capture.h"

#include "core/common/atomic_file.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>

#include <exiv2/exiv2.hpp>

#include <cmath>
#include <mutex>

namespace dashcard {
namespace {

QByteArray encode(const QImage& image, const char* format, QString* errorText) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(image)) {
    if (errorText != nullptr) {
      *errorText = QStringLiteral("Cannot encode the picture: %1").arg(writer.errorString());
    }
    return {};
  }
  return data;
}

// Decimal degrees as degrees, minutes and seconds (to a millionth of a second).
Exiv2::URationalValue degreesValue(double degrees) {
  double whole = std::floor(degrees);
  double minutes = std::floor((degrees - whole) * 60.0);
  auto micro = static_cast<std::uint64_t>(std::llround(((degrees - whole) * 60.0 - minutes) * 60.0 * 1e6));
  if (micro >= 60'000'000ULL) {
    micro -= 60'000'000ULL;
    minutes += 1.0;
  }
  if (minutes >= 60.0) {
    minutes -= 60.0;
    whole += 1.0;
  }
  Exiv2::URationalValue value;
  value.value_.emplace_back(static_cast<std::uint32_t>(whole), 1);
  value.value_.emplace_back(static_cast<std::uint32_t>(minutes), 1);
  value.value_.emplace_back(static_cast<std::uint32_t>(micro), 1'000'000);
  return value;
}

void muteExiv2Log() {
  static std::once_flag once;
  std::call_once(once, [] { Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute); });
}

void fillGps(Exiv2::ExifData& exif, const QVariantMap& gps) {
  Exiv2::DataValue version(Exiv2::unsignedByte);
  version.read("2 3 0 0");
  exif.add(Exiv2::ExifKey("Exif.GPSInfo.GPSVersionID"), &version);
  if (gps.contains(QStringLiteral("Latitude"))) {
    exif["Exif.GPSInfo.GPSLatitudeRef"] = gps.value(QStringLiteral("LatitudeRef")).toString().toStdString();
    const Exiv2::URationalValue latitude = degreesValue(gps.value(QStringLiteral("Latitude")).toDouble());
    exif.add(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitude"), &latitude);
  }
  if (gps.contains(QStringLiteral("Longitude"))) {
    exif["Exif.GPSInfo.GPSLongitudeRef"] = gps.value(QStringLiteral("LongitudeRef")).toString().toStdString();
    const Exiv2::URationalValue longitude = degreesValue(gps.value(QStringLiteral("Longitude")).toDouble());
    exif.add(Exiv2::ExifKey("Exif.GPSInfo.GPSLongitude"), &longitude);
  }
  if (gps.contains(QStringLiteral("Altitude"))) {
    Exiv2::DataValue reference(Exiv2::unsignedByte);
    reference.read(gps.value(QStringLiteral("AltitudeRef")).toInt() == 1 ? "1" : "0");
    exif.add(Exiv2::ExifKey("Exif.GPSInfo.GPSAltitudeRef"), &reference);
    Exiv2::URationalValue altitude;
    altitude.value_.emplace_back(
        static_cast<std::uint32_t>(std::llround(gps.value(QStringLiteral("Altitude")).toDouble() * 100.0)), 100);
    exif.add(Exiv2::ExifKey("Exif.GPSInfo.GPSAltitude"), &altitude);
  }
  const QString dateStamp = gps.value(QStringLiteral("DateStamp")).toString();
  const QTime time = QTime::fromString(gps.value(QStringLiteral("TimeStamp")).toString(), QStringLiteral("HH:mm:ss.zzz"));
  if (!dateStamp.isEmpty() && time.isValid()) {
    exif["Exif.GPSInfo.GPSDateStamp"] = dateStamp.toStdString();
    Exiv2::URationalValue stamp;
    stamp.value_.emplace_back(static_cast<std::uint32_t>(time.hour()), 1);
    stamp.value_.emplace_back(static_cast<std::uint32_t>(time.minute()), 1);
    stamp.value_.emplace_back(static_cast<std::uint32_t>(time.second() * 1000 + time.msec()), 1000);
    exif.add(Exiv2::ExifKey("Exif.GPSInfo.GPSTimeStamp"), &stamp);
  }
}

}  // namespace

QStringList ImageCapture::fileTypes() { return {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png")}; }

bool ImageCapture::writeFileWithCaptureImage(const QImage& image, const std::optional<CustomLocation>& location,
                                             const QString& outputFilePath, QString* errorText) {
  const QString extension = QFileInfo(outputFilePath).suffix().toLower();
  if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg")) {
    return writeJPEGFileWithCaptureImage(image, location, outputFilePath, errorText);
  }
  if (extension == QLatin1String("png")) {
    return writePNGFileWithCaptureImage(image, outputFilePath, errorText);
  }
  if (errorText != nullptr) {
    *errorText = QStringLiteral("Pictures are saved as jpg, jpeg or png, not '%1'").arg(extension);
  }
  return false;
}

bool ImageCapture::writeJPEGFileWithCaptureImage(const QImage& image, const std::optional<CustomLocation>& location,
                                                 const QString& outputFilePath, QString* errorText) {
  const QByteArray data = createJpegImageDataFromImage(image, metaDataIncludeExifFromLocation(location), errorText);
  return !data.isEmpty() && writeFileAtomically(outputFilePath, data, errorText);
}

bool ImageCapture::writePNGFileWithCaptureImage(const QImage& image, const QString& outputFilePath,
                                                QString* errorText) {
  if (image.isNull()) {
    if (errorText != nullptr) {
      *errorText = QStringLiteral("No picture to save");
    }
    return false;
  }
  // The pixels alone: an image made from raw bits carries no text keys, so
  // no metadata chunk is written.
  const QImage source =
      image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  const QImage pixels =
      QImage(source.constBits(), source.width(), source.height(), source.bytesPerLine(), source.format()).copy();
  const QByteArray data = encode(pixels, "png", errorText);
  return !data.isEmpty() && writeFileAtomically(outputFilePath, data, errorText);
}

QByteArray ImageCapture::createJpegImageDataFromImage(const QImage& image, const QVariantMap& metaData,
                                                      QString* errorText) {
  if (image.isNull()) {
    if (errorText != nullptr) {
      *errorText = QStringLiteral("No picture to save");
    }
    return {};
  }
  const QByteArray jpeg = encode(image.convertToFormat(QImage::Format_RGB32), "jpg", errorText);
  const QVariantMap gps = metaData.value(kGPSDictionaryKey).toMap();
  if (jpeg.isEmpty() || gps.isEmpty()) {
    return jpeg;
  }
  muteExiv2Log();
  try {
    Exiv2::Image::AutoPtr file =
        Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(jpeg.constData()), jpeg.size());
    file->readMetadata();
    Exiv2::ExifData exif = file->exifData();
    fillGps(exif, gps);
    file->setExifData(exif);
    file->writeMetadata();
    Exiv2::BasicIo& io = file->io();
    io.seek(0, Exiv2::BasicIo::beg);
    const Exiv2::DataBuf buffer = io.read(static_cast<long>(io.size()));
    return QByteArray(reinterpret_cast<const char*>(buffer.pData_), buffer.size_);
  } catch (const Exiv2::AnyError& error) {
    if (errorText != nullptr) {
      *errorText = QStringLiteral("Cannot write the GPS data: %1").arg(QString::fromStdString(error.what()));
    }
    return {};
  }
}

QVariantMap ImageCapture::metaDataIncludeExifFromLocation(const std::optional<CustomLocation>& location) {
  if (!location) {
    return {};
  }
  return {{kGPSDictionaryKey, GPSDictionaryForLocation(*location)}};
}

QVariantMap ImageCapture::GPSDictionaryForLocation(const CustomLocation& location) {
  QVariantMap gps;
  gps.insert(QStringLiteral("LatitudeRef"), location.latitude < 0 ? QStringLiteral("S") : QStringLiteral("N"));
  gps.insert(QStringLiteral("Latitude"), std::fabs(location.latitude));
  gps.insert(QStringLiteral("LongitudeRef"), location.longitude < 0 ? QStringLiteral("W") : QStringLiteral("E"));
  gps.insert(QStringLiteral("Longitude"), std::fabs(location.longitude));
  if (!std::isnan(location.altitude)) {
    gps.insert(QStringLiteral("AltitudeRef"), location.altitude < 0 ? 1 : 0);
    gps.insert(QStringLiteral("Altitude"), std::fabs(static_cast<double>(location.altitude)));
  }
  // The epoch stands for "no time": then no stamps rather than a false 1970 date.
  if (location.timestamp.isValid() && location.timestamp != CustomLocation::epoch()) {
    const QDateTime utc = location.timestamp.toUTC();
    gps.insert(QStringLiteral("DateStamp"), utc.toString(QStringLiteral("yyyy:MM:dd")));
    gps.insert(QStringLiteral("TimeStamp"), utc.toString(QStringLiteral("HH:mm:ss.zzz")));
  }
  return gps;
}

QImage ImageCapture::flipImageHorizontally(const QImage& image) { return image.mirrored(true, false); }

QImage ImageCapture::bitmapImageRepresentation(const QImage& image) {
  if (image.width() < 1 || image.height() < 1) {
    return {};
  }
  return image.convertToFormat(QImage::Format_RGBA8888);
}

}  // namespace dashcard
