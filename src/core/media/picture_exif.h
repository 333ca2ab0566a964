#pragma once

#include "core/telemetry/custom_location.h"

#include <QString>

namespace dashcard {

// The EXIF block of a still picture.
class PictureExif {
 public:
  PictureExif() = delete;

  // The GPS position written in a picture's EXIF data, or the no-position
  // record when there is none, it is off the Earth, or the file is not a
  // readable image.
  static CustomLocation locationWithImagePath(const QString& path);
};

}  // namespace dashcard
