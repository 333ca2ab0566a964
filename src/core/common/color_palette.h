#pragma once

#include <array>

#include <QCalendar>
#include <QColor>
#include <QDateTime>
#include <QList>
#include <QRgb>
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
  // The drive-support mark colours as 8-bit ARGB, for readers without the GUI library.
  static constexpr QRgb kAdasForwardCollisionArgb = qRgb(255, 0, 0);
  static constexpr QRgb kAdasLaneDepartureArgb = qRgb(255, 198, 0);
  static constexpr QRgb kAdasDelayArgb = qRgb(5, 248, 209);
  static QColor adasForwardCollisionColor();
  static QColor adasLaneDepartureColor();
  static QColor adasDelayColor();
  static QColor adasZENTAColor();
  static QColor routeColor1();
  // The viridis scale (perceptually even, readable in grey and by most
  // colour-blind eyes) at `t`, clamped to 0..1: dark violet to yellow.
  static QColor viridis(double t);
  // The route lines' colours (routeColor1 first) and the KML icons', in order.
  static QList<QColor> routeColors();
  static QList<QColor> iconColors();
  // The same as 8-bit ARGB, for readers without the GUI library (KML).
  static constexpr std::array<QRgb, 7> kRouteArgb = {qRgb(0, 0, 255),     qRgb(255, 0, 0),   qRgb(0, 128, 0),
                                                     qRgb(255, 255, 255), qRgb(255, 0, 255), qRgb(0, 255, 255),
                                                     qRgb(255, 255, 0)};
  static constexpr std::array<QRgb, 4> kIconArgb = {qRgb(255, 0, 0), qRgb(255, 255, 0), qRgb(255, 255, 255),
                                                    qRgb(255, 255, 255)};

  // KML colour text: alpha, blue, green, red as "%02X" each ("FFFF0000" for routeColor1).
  static QString colorString(const QColor& color);
  static QString colorString(QRgb argb);

  // False when either date is invalid; else true when `date` falls on a
  // later calendar day (local time) than `reference`.
  static bool shouldChangeRouteColor(const QDateTime& reference, const QDateTime& date);
  // Whole days from the day of `from` to the day of `to`, local time.
  static qint64 daysBetween(const QDateTime& from, const QDateTime& to);
  // `date` cut to midnight of its day in local time (year, month and day kept).
  static QDateTime adjustZeroClock(const QDateTime& date, const QCalendar& withCalendar = QCalendar());
};

}  // namespace dashcard
