#include "core/catalogue/trip_builder.h"

#include "core/catalogue/place_names.h"
#include "core/common/const_class.h"
#include "core/common/parallel_chunks.h"
#include "core/telemetry/telemetry_store.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace dashcard {
namespace {

// Slower than walking pace is standing in traffic, not moving.
constexpr double kMovingSpeed = 1.0;
// The camera's usual clip length, for a recording whose length nothing tells.
constexpr double kFallbackClipSeconds = 60.0;
// Zones span 26 hours (UTC-12 to UTC+14).
constexpr qint64 kMaxZoneChangeMSecs = qint64{26} * 3600 * 1000;

struct Analysed {
  DCFInfoPtr info;
  std::shared_ptr<const NMEAData::Snapshot> telemetry;
  std::vector<TrackPoint> track;
  CleanTrack clean;
  // Length; 0 while unknown.
  double seconds = 0.0;
  // The names' wall clock read as UTC, and the recording's real start.
  qint64 wallMSecs = 0;
  std::optional<qint64> gpsStartMSecs;
  qint64 utcStartMSecs = 0;
  bool parking = false;

  DriveSignal signal() const {
    DriveSignal s;
    if (telemetry && telemetry->store) s.motions = telemetry->store->motions;
    s.track = track;
    s.clean = &clean;
    s.durationSeconds = seconds;
    return s;
  }
  // A point's time: its own fix time, else its second into the recording.
  qint64 timeOf(std::size_t i) const {
    return track[i].utcMSecs > 0 ? track[i].utcMSecs : utcStartMSecs + static_cast<qint64>(i) * 1000;
  }
};

template <typename T>
T median(std::vector<T> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The wall-clock time of a name in `zone` as UTC; the zone's rules at that
// date apply, so daylight-saving changes inside a card are followed.
qint64 wallToUtc(qint64 wallMSecs, const QTimeZone& zone) {
  const QDateTime wall = QDateTime::fromMSecsSinceEpoch(wallMSecs, QTimeZone::utc());
  const QDateTime local(wall.date(), wall.time(), zone);
  if (local.isValid()) return local.toMSecsSinceEpoch();
  return wallMSecs - static_cast<qint64>(zone.standardTimeOffset(wall)) * 1000;
}

Analysed analyse(const DCFInfoPtr& info, const std::shared_ptr<const NMEAData::Snapshot>& telemetry) {
  Analysed a;
  a.info = info;
  a.telemetry = telemetry;
  a.wallMSecs = info->startDate().toMSecsSinceEpoch();
  a.parking = TripBuilder::isParking(*info);
  if (telemetry && telemetry->store) {
    const TelemetryStore& store = *telemetry->store;
    a.track.reserve(store.groups.size());
    for (std::uint32_t g = 0; g < store.groups.size(); ++g) {
      const std::uint32_t begin = store.fixBegin(g);
      const std::uint32_t end = store.groups[g].fixEnd();
      a.track.push_back(end > begin && end <= store.locations.size()
                            ? TrackPoint::of(store.locations[end - 1], store.groups[g].isValid())
                            : TrackPoint());
    }
    a.clean = CleanTrack::of(a.track);
    // One position sentence a second.
    a.seconds = static_cast<double>(store.groups.size());
    std::vector<qint64> starts;
    for (std::size_t i = 0; i < a.track.size(); ++i) {
      if (a.clean.positionOk[i] && a.track[i].utcMSecs > 0) {
        starts.push_back(a.track[i].utcMSecs - static_cast<qint64>(i) * 1000);
      }
    }
    // The median, so that a receiver's wrong time at a cold start does not count.
    if (!starts.empty()) a.gpsStartMSecs = median(std::move(starts));
  }
  if (!(a.seconds > 0.0) && info->duration() > 0.0) a.seconds = info->duration();
  return a;
}

// Camera clock minus GPS time, the median over the recordings with a fix:
// robust to a receiver's wrong time and to a zone changed on the camera
// part-way through the card.
std::optional<double> clockOffsetOf(const std::vector<Analysed>& all, const QTimeZone& zone) {
  std::vector<double> offsets;
  for (const Analysed& a : all) {
    if (a.gpsStartMSecs) offsets.push_back(static_cast<double>(wallToUtc(a.wallMSecs, zone) - *a.gpsStartMSecs) / 1000.0);
  }
  if (offsets.empty()) return std::nullopt;
  return median(std::move(offsets));
}

QString tripIDOf(const Analysed& a) { return a.telemetry ? a.telemetry->tripID : QString(); }

Trip makeTrip(const std::vector<const Analysed*>& parts, const TripBuilder::Options& options,
              const std::function<std::optional<MountAxes>()>& cardAxes) {
  Trip trip;
  const Analysed& first = *parts.front();
  const Analysed& last = *parts.back();
  for (const Analysed* part : parts) trip.recordings.append(part->info);
  const qint64 startMSecs = first.utcStartMSecs;
  const qint64 endMSecs = last.utcStartMSecs + static_cast<qint64>(std::llround(last.seconds * 1000.0));
  trip.start = QDateTime::fromMSecsSinceEpoch(startMSecs, QTimeZone::utc());
  trip.end = QDateTime::fromMSecsSinceEpoch(std::max(startMSecs, endMSecs), QTimeZone::utc());
  trip.startLocal = trip.start.toTimeZone(options.cameraZone);
  trip.endLocal = trip.end.toTimeZone(options.cameraZone);
  trip.durationSeconds = static_cast<double>(trip.end.toMSecsSinceEpoch() - startMSecs) / 1000.0;

  const TrackPoint* firstFix = nullptr;
  const TrackPoint* lastFix = nullptr;
  qint64 previousTime = 0;
  double movingSum = 0.0;
  std::size_t movingCount = 0;
  std::vector<DriveSignal> inputs;
  inputs.reserve(parts.size());
  for (const Analysed* part : parts) {
    inputs.push_back(part->signal());
    for (std::size_t i = 0; i < part->track.size(); ++i) {
      if (!part->clean.positionOk[i]) continue;
      const TrackPoint& point = part->track[i];
      const qint64 time = part->timeOf(i);
      if (lastFix != nullptr) {
        const double seconds = time > previousTime ? static_cast<double>(time - previousTime) / 1000.0 : 1.0;
        const double metres = CleanTrack::distanceMetres(*lastFix, point);
        // A jump the cleaning kept (the track moved for good) adds nothing.
        if (metres / seconds <= CleanTrack::kMaxImpliedSpeed) trip.distanceMeters += metres;
      } else {
        firstFix = &point;
      }
      lastFix = &point;
      previousTime = time;
      if (part->clean.speedOk[i]) {
        trip.maxSpeedMps = std::max(trip.maxSpeedMps, point.speed);
        if (point.speed > kMovingSpeed) {
          movingSum += point.speed;
          ++movingCount;
        }
      }
    }
  }
  trip.averageMovingSpeedMps = movingCount > 0 ? movingSum / static_cast<double>(movingCount) : 0.0;
  if (options.places && firstFix != nullptr) {
    trip.from = options.places->nameNear(firstFix->latitude, firstFix->longitude);
    trip.to = options.places->nameNear(lastFix->latitude, lastFix->longitude);
  }

  // The mount is found per trip (a camera may be moved between drives),
  // from the whole card when a trip is too calm to tell.
  std::optional<MountAxes> axes = DrivingEventDetector::estimateAxes(inputs);
  if (!axes) axes = cardAxes();
  if (axes) {
    for (std::size_t k = 0; k < parts.size(); ++k) {
      for (const DrivingEvent& event : DrivingEventDetector::detect(inputs[k], *axes, options.thresholds)) {
        const qint64 at = parts[k]->utcStartMSecs + static_cast<qint64>(std::llround(event.seconds * 1000.0));
        trip.events.append({event, parts[k]->info, QDateTime::fromMSecsSinceEpoch(at, QTimeZone::utc())});
      }
    }
  }
  return trip;
}

}  // namespace

bool TripBuilder::isParking(const DCFInfo& info) { return info.eventName() == ConstClass::DCF_EVENTNAME_PARKING; }

std::vector<std::shared_ptr<const NMEAData::Snapshot>> TripBuilder::readTelemetry(const DCFInfoList& recordings,
                                                                                   const std::atomic<bool>* cancel) {
  std::vector<std::shared_ptr<const NMEAData::Snapshot>> telemetry(static_cast<std::size_t>(recordings.size()));
  forEachInParallel(
      telemetry.size(), 8,
      [&](std::size_t i) {
        const std::shared_ptr<NMEAData> nmea = recordings.at(static_cast<qsizetype>(i))->nmea();
        nmea->setup();
        telemetry[i] = nmea->snapshot();
      },
      [cancel] { return cancel != nullptr && cancel->load(std::memory_order_relaxed); });
  return telemetry;
}

std::optional<double> TripBuilder::clockOffsetSeconds(
    const DCFInfoList& recordings, const std::vector<std::shared_ptr<const NMEAData::Snapshot>>& telemetry,
    const QTimeZone& cameraZone) {
  std::vector<Analysed> all;
  all.reserve(static_cast<std::size_t>(recordings.size()));
  for (qsizetype i = 0; i < recordings.size(); ++i) {
    const auto slot = static_cast<std::size_t>(i);
    all.push_back(analyse(recordings.at(i), slot < telemetry.size() ? telemetry[slot] : nullptr));
  }
  return clockOffsetOf(all, cameraZone);
}

TripBuilder::Result TripBuilder::build(const DCFInfoList& recordings,
                                       const std::vector<std::shared_ptr<const NMEAData::Snapshot>>& telemetry,
                                       const Options& options, const TripOverrides& overrides) {
  Result result;
  std::vector<Analysed> all;
  all.reserve(static_cast<std::size_t>(recordings.size()));
  for (qsizetype i = 0; i < recordings.size(); ++i) {
    const auto slot = static_cast<std::size_t>(i);
    all.push_back(analyse(recordings.at(i), slot < telemetry.size() ? telemetry[slot] : nullptr));
  }
  std::stable_sort(all.begin(), all.end(), [](const Analysed& a, const Analysed& b) {
    return a.wallMSecs != b.wallMSecs ? a.wallMSecs < b.wallMSecs : a.info->deltaPath() < b.info->deltaPath();
  });

  result.clockOffsetSeconds = clockOffsetOf(all, options.cameraZone);
  std::vector<double> lengths;
  for (const Analysed& a : all) {
    if (a.seconds > 0.0) lengths.push_back(a.seconds);
  }
  const double usualLength = lengths.empty() ? kFallbackClipSeconds : median(lengths);
  const auto offsetMSecs = static_cast<qint64>(std::llround(result.clockOffsetSeconds.value_or(0.0) * 1000.0));
  for (Analysed& a : all) {
    if (!(a.seconds > 0.0)) a.seconds = usualLength;
    const qint64 byName = wallToUtc(a.wallMSecs, options.cameraZone) - offsetMSecs;
    // GPS time wins unless it is further off than any zone change explains
    // (a receiver's wrong date).
    a.utcStartMSecs = a.gpsStartMSecs && std::llabs(*a.gpsStartMSecs - byName) <= kMaxZoneChangeMSecs
                          ? *a.gpsStartMSecs
                          : byName;
  }

  // The drives, and whether a parking recording lies before each.
  std::vector<const Analysed*> drives;
  std::vector<bool> parkedBefore;
  bool parked = false;
  for (const Analysed& a : all) {
    if (a.parking) {
      parked = true;
      continue;
    }
    drives.push_back(&a);
    parkedBefore.push_back(parked);
    parked = false;
  }
  bool sharedIDs = false;
  for (std::size_t k = 1; k < drives.size() && !sharedIDs; ++k) {
    const QString id = tripIDOf(*drives[k]);
    sharedIDs = !id.isEmpty() && id == tripIDOf(*drives[k - 1]);
  }

  std::optional<MountAxes> cardAxes;
  bool cardAxesTried = false;
  const std::function<std::optional<MountAxes>()> axesOfCard = [&] {
    if (!cardAxesTried) {
      cardAxesTried = true;
      std::vector<DriveSignal> inputs;
      for (const Analysed* a : drives) inputs.push_back(a->signal());
      cardAxes = DrivingEventDetector::estimateAxes(inputs);
    }
    return cardAxes;
  };

  const qint64 gapMSecs = static_cast<qint64>(std::max(0, options.gapMinutes)) * 60 * 1000;
  std::vector<const Analysed*> current;
  auto finish = [&] {
    if (current.empty()) return;
    Trip trip = makeTrip(current, options, axesOfCard);
    trip.byTripID = sharedIDs;
    result.trips.append(std::move(trip));
    current.clear();
  };
  for (std::size_t k = 0; k < drives.size(); ++k) {
    const Analysed& a = *drives[k];
    bool automatic = true;
    if (k > 0 && !parkedBefore[k]) {
      const Analysed& previous = *drives[k - 1];
      const QString id = tripIDOf(a);
      const QString previousID = tripIDOf(previous);
      if (sharedIDs && !id.isEmpty() && !previousID.isEmpty()) {
        automatic = id != previousID;
      } else {
        // Real time, so that a clock put forward for summer is no pause.
        const qint64 previousEnd =
            previous.utcStartMSecs + static_cast<qint64>(std::llround(previous.seconds * 1000.0));
        automatic = a.utcStartMSecs - previousEnd > gapMSecs;
      }
    }
    if (k > 0 && overrides.startsTrip(a.info->deltaPath(), automatic)) finish();
    current.push_back(&a);
  }
  finish();
  return result;
}

}  // namespace dashcard
