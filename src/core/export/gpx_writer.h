#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/telemetry/custom_location.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace dashcard {

// A GPX 1.1 track of valid fixes: time, position, elevation and, in Garmin's
// track-point extension (GPX 1.1 itself has no such elements), speed and
// course. A pause longer than kSegmentGapSeconds between fixes starts a new
// `trkseg`, so a missing clip or a stop with the camera off shows as a break.
class GpxWriter {
 public:
  static constexpr double kSegmentGapSeconds = 3.0;

  // `locations` in time order; fixes without coordinate or time are left out.
  static QByteArray document(const std::vector<CustomLocation>& locations, const QString& trackName);
  // How many `trkseg` the document of `locations` holds.
  static int segmentCount(const std::vector<CustomLocation>& locations);
  // The valid fixes of the recordings' telemetry (read here, speed and
  // heading carried over from clip to clip) inside [from, to], in time
  // order; every fix when the dates are invalid.
  static std::vector<CustomLocation> locationsInSpan(const DCFInfoList& recordings, const QDateTime& from,
                                                     const QDateTime& to);
};

}  // namespace dashcard
