#pragma once

#include "core/telemetry/custom_location.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

namespace dashcard {

// Writing a captured video frame to disk: JPEG with the GPS position of that
// moment in its EXIF block, or PNG without metadata. Every write replaces the
// target in one step.
class ImageCapture {
 public:
  ImageCapture() = delete;

  // Key of the GPS dictionary in a metadata dictionary.
  static inline const QString kGPSDictionaryKey = QStringLiteral("{GPS}");

  // "jpg", "jpeg", "png": what a save panel offers.
  static QStringList fileTypes();

  // Picks the writer by the extension of `outputFilePath` in any case; another
  // extension writes nothing. False when nothing was written; `errorText`
  // (optional) says why.
  static bool writeFileWithCaptureImage(const QImage& image, const std::optional<CustomLocation>& location,
                                        const QString& outputFilePath, QString* errorText = nullptr);
  static bool writeJPEGFileWithCaptureImage(const QImage& image, const std::optional<CustomLocation>& location,
                                            const QString& outputFilePath, QString* errorText = nullptr);
  static bool writePNGFileWithCaptureImage(const QImage& image, const QString& outputFilePath,
                                           QString* errorText = nullptr);

  // JPEG file data of `image` carrying the GPS dictionary of `metaData`
  // (under kGPSDictionaryKey), if any. Empty when encoding failed.
  static QByteArray createJpegImageDataFromImage(const QImage& image, const QVariantMap& metaData,
                                                 QString* errorText = nullptr);
  // {kGPSDictionaryKey: GPS dictionary} for a location, empty without one.
  static QVariantMap metaDataIncludeExifFromLocation(const std::optional<CustomLocation>& location);
  // Keys: "Latitude"/"LatitudeRef" ("N"/"S"), "Longitude"/"LongitudeRef"
  // ("E"/"W") as absolute decimal degrees; "Altitude"/"AltitudeRef" (0 above,
  // 1 below sea level) when the altitude is a number; "DateStamp"
  // ("yyyy:MM:dd") and "TimeStamp" ("HH:mm:ss.zzz"), both UTC, when the
  // location has a time.
  static QVariantMap GPSDictionaryForLocation(const CustomLocation& location);

  // The image mirrored left to right.
  static QImage flipImageHorizontally(const QImage& image);
  // An 8-bit RGBA copy of the image; null for an image narrower or lower than 1 pixel.
  static QImage bitmapImageRepresentation(const QImage& image);
};

}  // namespace dashcard
