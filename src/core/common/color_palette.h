#pragma once

#include <QCalendar>
#include <QColor>
#include <QDateTime>
#include <QList>
#include <QString>

namespace dashcard {

// The application's colours (graph, drive-support marks, route lines, KML
// icons) and the rule that switches route colours when the day changes.
class ColorPalette {
 public:
  ColorPalette() = delete;

  // Components 0..255, alpha 0..1.
  static QColor colorWithHexRed(double red, double green, double blue, double alpha = 1.0);

  static QColor graphGXColor();
  static QColor graphGYColor();
  static QColor graphGZColor();
  static QColor graphSpeedColor();
  static QColor graphAxisColor();
  static QColor graphBackGroundColor();
  static QColor adasForwardCollisionColor();
  static QColor adasLaneDepartureColor();
  static QColor adasDelayColor();
  static QColor adasZENTAColor();
  static QColor routeColor1();
  // The route lines' colours (routeColor1 first) and the KML icons', in order.
  static QList<QColor> routeColors();
  static QList<QColor> iconColors();

  // KML colour text: alpha, blue, green, red as "%02X" each ("FFFF0000" for routeColor1).
  static QString colorString(const QColor& color);

  // False when either date is invalid; else true when `date` falls on a
  // later calendar day (local time) than `reference`.
  static bool shouldChangeRouteColor(const QDateTime& reference, const QDateTime& date);
  // Whole days from the day of `from` to the day of `to`, local time.
  static qint64 daysBetween(const QDateTime& from, const QDateTime& to);
  // `date` cut to midnight of its day in local time (year, month and day kept).
  static QDateTime adjustZeroClock(const QDateTime& date, const QCalendar& withCalendar = QCalendar());
};

}  // namespace dashcard
