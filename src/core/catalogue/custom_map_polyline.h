#pragma once

#include "core/catalogue/map_coordinate.h"

#include <QColor>
#include <QList>

#include <mutex>

namespace dashcard {

// The route line of one recording: its coordinates in order and the colour
// the map draws it in. The colour may be changed from the main thread while
// the background parser reads it, so it is kept under a lock.
class CustomMapPolyline {
 public:
  CustomMapPolyline(QList<MapCoordinate> coordinates, const QColor& lineColor)
      : coordinates_(std::move(coordinates)), lineColor_(lineColor) {}
  // With the speed at each coordinate (m/s, negative when unknown).
  CustomMapPolyline(QList<MapCoordinate> coordinates, QList<float> speeds, const QColor& lineColor)
      : coordinates_(std::move(coordinates)), speeds_(std::move(speeds)), lineColor_(lineColor) {}

  const QList<MapCoordinate>& coordinates() const { return coordinates_; }
  // One per coordinate, or none when the line has no speeds.
  const QList<float>& speeds() const { return speeds_; }
  qsizetype pointCount() const { return coordinates_.size(); }

  QColor lineColor() const {
    std::lock_guard lock(mutex_);
    return lineColor_;
  }
  void setLineColor(const QColor& color) {
    std::lock_guard lock(mutex_);
    lineColor_ = color;
  }

 private:
  const QList<MapCoordinate> coordinates_;
  const QList<float> speeds_;
  mutable std::mutex mutex_;
  QColor lineColor_;
};

}  // namespace dashcard
