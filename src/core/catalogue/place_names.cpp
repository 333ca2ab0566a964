#include "core/catalogue/place_names.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace dashcard {
namespace {

constexpr double kUnit = 1e-4;
constexpr double kMetresPerDegree = 111195.0;
// More than GeoNames' 140 000 towns would be a file that is not ours.
constexpr std::uint64_t kMaxPlaces = 1'000'000;

class Reader {
 public:
  explicit Reader(const QByteArray& data) : data_(data) {}
  bool ok() const { return ok_; }
  bool atEnd() const { return pos_ >= data_.size(); }
  std::uint64_t varint() {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (pos_ >= data_.size()) {
        ok_ = false;
        return 0;
      }
      const auto byte = static_cast<std::uint8_t>(data_[pos_++]);
      value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
      if (byte < 0x80) return value;
    }
    ok_ = false;
    return 0;
  }
  std::int64_t zigzag() {
    const std::uint64_t v = varint();
    return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
  }
  QByteArrayView bytes(std::uint64_t count) {
    if (count > static_cast<std::uint64_t>(data_.size() - pos_)) {
      ok_ = false;
      return {};
    }
    const QByteArrayView view(data_.constData() + pos_, static_cast<qsizetype>(count));
    pos_ += static_cast<qsizetype>(count);
    return view;
  }

 private:
  const QByteArray& data_;
  qsizetype pos_ = 0;
  bool ok_ = true;
};

}  // namespace

bool PlaceNames::load(const QByteArray& data) {
  *this = PlaceNames();
  if (!data.startsWith("DCPL") || data.size() < 5 || data[4] != 1) return false;
  Reader reader(data);
  reader.bytes(5);
  const std::uint64_t count = reader.varint();
  if (!reader.ok() || count > kMaxPlaces) return false;
  PlaceNames loaded;
  loaded.latitudes_.reserve(count);
  loaded.longitudes_.reserve(count);
  loaded.populations_.reserve(count);
  loaded.nameEnds_.reserve(count);
  loaded.countries_.reserve(static_cast<qsizetype>(count * 2));
  std::int64_t lat = 0;
  std::int64_t lon = 0;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::int64_t dLat = reader.zigzag();
    const std::int64_t dLon = reader.zigzag();
    if (std::llabs(dLat) > 1800000 || std::llabs(dLon) > 3600000) return false;
    lat += dLat;
    lon += dLon;
    const std::uint64_t population = reader.varint();
    const QByteArrayView country = reader.bytes(2);
    const QByteArrayView name = reader.bytes(reader.varint());
    if (!reader.ok() || std::llabs(lat) > 900000 || std::llabs(lon) > 1800000 ||
        (!loaded.latitudes_.empty() && lat < loaded.latitudes_.back())) {
      return false;
    }
    loaded.latitudes_.push_back(static_cast<std::int32_t>(lat));
    loaded.longitudes_.push_back(static_cast<std::int32_t>(lon));
    loaded.populations_.push_back(static_cast<std::uint32_t>(std::min<std::uint64_t>(population, UINT32_MAX)));
    loaded.countries_.append(country);
    loaded.names_.append(name);
    loaded.nameEnds_.push_back(static_cast<std::uint32_t>(loaded.names_.size()));
  }
  if (!reader.atEnd()) return false;
  *this = std::move(loaded);
  return true;
}

PlaceNames::Place PlaceNames::placeAt(std::size_t i) const {
  const std::uint32_t begin = i == 0 ? 0 : nameEnds_[i - 1];
  Place place;
  place.name = QString::fromUtf8(names_.constData() + begin, static_cast<qsizetype>(nameEnds_[i] - begin));
  place.country = QString::fromLatin1(countries_.constData() + 2 * i, 2);
  place.latitude = latitudes_[i] * kUnit;
  place.longitude = longitudes_[i] * kUnit;
  place.population = populations_[i];
  return place;
}

std::optional<PlaceNames::Place> PlaceNames::nearest(double latitude, double longitude, double withinMetres) const {
  if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(latitude) > 90.0 ||
      std::fabs(longitude) > 180.0 || latitudes_.empty()) {
    return std::nullopt;
  }
  if (!(withinMetres >= 0.0)) return std::nullopt;
  const double band = std::min(withinMetres / kMetresPerDegree, 180.0);
  const auto low = static_cast<std::int32_t>(std::floor((latitude - band) / kUnit));
  const auto high = static_cast<std::int32_t>(std::ceil((latitude + band) / kUnit));
  const auto first = std::lower_bound(latitudes_.begin(), latitudes_.end(), low);
  const auto last = std::upper_bound(first, latitudes_.end(), high);
  const double cosLat = std::cos(latitude * 3.14159265358979323846 / 180.0);
  double best = withinMetres * withinMetres;
  std::optional<std::size_t> found;
  for (auto it = first; it != last; ++it) {
    const auto i = static_cast<std::size_t>(it - latitudes_.begin());
    const double dy = (latitudes_[i] * kUnit - latitude) * kMetresPerDegree;
    double dLon = std::fabs(longitudes_[i] * kUnit - longitude);
    dLon = std::min(dLon, 360.0 - dLon);  // across the date line
    const double dx = dLon * kMetresPerDegree * cosLat;
    const double d2 = dx * dx + dy * dy;
    if (d2 <= best) {
      best = d2;
      found = i;
    }
  }
  if (!found) return std::nullopt;
  return placeAt(*found);
}

std::vector<PlaceNames::Place> PlaceNames::within(double south, double north, double west, double east,
                                                  std::uint32_t minPopulation, std::size_t limit) const {
  std::vector<Place> found;
  if (!(south <= north) || !std::isfinite(west) || !std::isfinite(east) || limit == 0) return found;
  const auto low = static_cast<std::int32_t>(std::floor(std::max(south, -90.0) / kUnit));
  const auto high = static_cast<std::int32_t>(std::ceil(std::min(north, 90.0) / kUnit));
  const auto first = std::lower_bound(latitudes_.begin(), latitudes_.end(), low);
  const auto last = std::upper_bound(first, latitudes_.end(), high);
  const auto westUnits = west / kUnit;
  const auto eastUnits = east / kUnit;
  std::vector<std::size_t> hits;
  for (auto it = first; it != last; ++it) {
    const auto i = static_cast<std::size_t>(it - latitudes_.begin());
    if (populations_[i] < minPopulation) continue;
    const double lon = longitudes_[i];
    const bool inside = west <= east ? lon >= westUnits && lon <= eastUnits : lon >= westUnits || lon <= eastUnits;
    if (inside) hits.push_back(i);
  }
  const std::size_t count = std::min(limit, hits.size());
  std::partial_sort(hits.begin(), hits.begin() + static_cast<std::ptrdiff_t>(count), hits.end(),
                    [this](std::size_t a, std::size_t b) { return populations_[a] > populations_[b]; });
  found.reserve(count);
  for (std::size_t k = 0; k < count; ++k) found.push_back(placeAt(hits[k]));
  return found;
}

QString PlaceNames::nameNear(double latitude, double longitude) const {
  const std::optional<Place> place = nearest(latitude, longitude);
  return place ? place->name + QStringLiteral(", ") + place->country : QString();
}

std::shared_ptr<const PlaceNames> PlaceNames::builtIn() {
  static std::once_flag once;
  static std::shared_ptr<const PlaceNames> places;
  std::call_once(once, [] {
    auto loaded = std::make_shared<PlaceNames>();
    QFile file(QStringLiteral(":/places/places.dcpl"));
    if (file.open(QIODevice::ReadOnly)) {
      loaded->load(file.readAll());
    }
    places = std::move(loaded);
  });
  return places;
}

}  // namespace dashcard
