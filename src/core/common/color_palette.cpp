#include "core/common/color_palette.h"

#include <algorithm>
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

namespace {
QColor colorOf(QRgb argb) { return ColorPalette::colorWithHexRed(qRed(argb), qGreen(argb), qBlue(argb)); }
}  // namespace

QString ColorPalette::colorString(QRgb argb) {
  return QString::asprintf("%02X%02X%02X%02X", qAlpha(argb), qBlue(argb), qGreen(argb), qRed(argb));
}

QColor ColorPalette::graphGXColor() { return colorWithHexRed(106, 236, 247); }
QColor ColorPalette::graphGYColor() { return colorWithHexRed(139, 153, 255); }
QColor ColorPalette::graphGZColor() { return colorWithHexRed(248, 153, 144); }
QColor ColorPalette::graphSpeedColor() { return colorWithHexRed(149, 149, 149); }
QColor ColorPalette::graphAxisColor() { return colorWithHexRed(147, 147, 147); }
QColor ColorPalette::graphBackGroundColor() { return colorWithHexRed(51, 51, 51); }
QColor ColorPalette::adasForwardCollisionColor() { return colorOf(kAdasForwardCollisionArgb); }
QColor ColorPalette::adasLaneDepartureColor() { return colorOf(kAdasLaneDepartureArgb); }
QColor ColorPalette::adasDelayColor() { return colorOf(kAdasDelayArgb); }
QColor ColorPalette::adasZENTAColor() { return colorWithHexRed(238, 123, 72); }
QColor ColorPalette::routeColor1() { return colorOf(kRouteArgb[0]); }

QList<QColor> ColorPalette::routeColors() {
  QList<QColor> colors;
  for (const QRgb argb : kRouteArgb) colors.append(colorOf(argb));
  return colors;
}

QList<QColor> ColorPalette::iconColors() {
  QList<QColor> colors;
  for (const QRgb argb : kIconArgb) colors.append(colorOf(argb));
  return colors;
}

bool ColorPalette::shouldChangeRouteColor(const QDateTime& reference, const QDateTime& date) {
  if (!reference.isValid() || !date.isValid()) {
    return false;
  }
  return daysBetween(reference, date) > 0;
}

qint64 ColorPalette::daysBetween(const QDateTime& from, const QDateTime& to) {
  // The dates of both local midnights, without building the midnights:
  // each is one more time-zone lookup, and the KML export asks per clip.
  return from.toLocalTime().date().daysTo(to.toLocalTime().date());
}

QDateTime ColorPalette::adjustZeroClock(const QDateTime& date, const QCalendar& withCalendar) {
  const QCalendar::YearMonthDay parts = withCalendar.partsFromDate(date.toLocalTime().date());
  return QDateTime(withCalendar.dateFromParts(parts), QTime(0, 0));
}

QColor ColorPalette::viridis(double t) {
  // The scale's published values at 0, 0.1, ..., 1, joined linearly.
  static constexpr unsigned char kStops[11][3] = {
      {68, 1, 84},    {72, 36, 117},  {65, 68, 135},  {53, 95, 141},  {42, 120, 142}, {33, 145, 140},
      {34, 168, 132}, {68, 191, 112}, {122, 209, 81}, {189, 223, 38}, {253, 231, 37},
  };
  const double x = std::isfinite(t) ? std::clamp(t, 0.0, 1.0) * 10.0 : 0.0;
  const int i = std::min(9, static_cast<int>(x));
  const double f = x - i;
  const auto mix = [&](int c) { return std::round(kStops[i][c] + (kStops[i + 1][c] - kStops[i][c]) * f); };
  return colorWithHexRed(mix(0), mix(1), mix(2));
}

}  // namespace dashcard
