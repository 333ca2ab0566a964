#include "core/common/color_palette.h"

#include <cmath>

namespace dashcard {

// Built from its 16-bit components as QColor::fromRgbF would store them,
// without calling into the GUI library: the palette is also used by
// commands that load only Qt Core.
QColor ColorPalette::colorWithHexRed(double red, double green, double blue, double alpha) {
  const auto component = [](double fraction) { return static_cast<ushort>(std::lround(fraction * 65535.0)); };
  const double channels[] = {red / 255.0, green / 255.0, blue / 255.0, alpha};
  for (const double channel : channels) {
    if (!(channel >= 0.0 && channel <= 1.0)) {
      return {};
    }
  }
  return QColor(QColor::Rgb, component(alpha), component(channels[0]), component(channels[1]), component(channels[2]));
}

QColor ColorPalette::graphGXColor() { return colorWithHexRed(106, 236, 247); }
QColor ColorPalette::graphGYColor() { return colorWithHexRed(139, 153, 255); }
QColor ColorPalette::graphGZColor() { return colorWithHexRed(248, 153, 144); }
QColor ColorPalette::graphSpeedColor() { return colorWithHexRed(149, 149, 149); }
QColor ColorPalette::graphAxisColor() { return colorWithHexRed(147, 147, 147); }
QColor ColorPalette::graphBackGroundColor() { return colorWithHexRed(51, 51, 51); }
QColor ColorPalette::adasForwardCollisionColor() { return colorWithHexRed(255, 0, 0); }
QColor ColorPalette::adasLaneDepartureColor() { return colorWithHexRed(255, 198, 0); }
QColor ColorPalette::adasDelayColor() { return colorWithHexRed(5, 248, 209); }
QColor ColorPalette::adasZENTAColor() { return colorWithHexRed(238, 123, 72); }
QColor ColorPalette::routeColor1() { return colorWithHexRed(0, 0, 255); }

QList<QColor> ColorPalette::routeColors() {
  return {routeColor1(),
          colorWithHexRed(255, 0, 0),
          colorWithHexRed(0, 128, 0),
          colorWithHexRed(255, 255, 255),
          colorWithHexRed(255, 0, 255),
          colorWithHexRed(0, 255, 255),
          colorWithHexRed(255, 255, 0)};
}

QList<QColor> ColorPalette::iconColors() {
  return {colorWithHexRed(255, 0, 0), colorWithHexRed(255, 255, 0), colorWithHexRed(255, 255, 255),
          colorWithHexRed(255, 255, 255)};
}

bool ColorPalette::shouldChangeRouteColor(const QDateTime& reference, const QDateTime& date) {
  if (!reference.isValid() || !date.isValid()) {
    return false;
  }
  return daysBetween(reference, date) > 0;
}

qint64 ColorPalette::daysBetween(const QDateTime& from, const QDateTime& to) {
  return adjustZeroClock(from).date().daysTo(adjustZeroClock(to).date());
}

QDateTime ColorPalette::adjustZeroClock(const QDateTime& date, const QCalendar& withCalendar) {
  const QCalendar::YearMonthDay parts = withCalendar.partsFromDate(date.toLocalTime().date());
  return QDateTime(withCalendar.dateFromParts(parts), QTime(0, 0));
}

}  // namespace dashcard
