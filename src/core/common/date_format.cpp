#include "core/common/date_format.h"

#include <QLocale>
#include <QTimeZone>

#include <cstdio>

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <map>
#include <memory>
#include <tuple>

namespace dashcard {
namespace {

icu::Locale icuLocale(const DateTextPlace& place) {
  QString name = place.locale;
  if (name.isEmpty()) {
    name = QLocale().name();
  }
  if (name.isEmpty() || name == QLatin1String("C")) {
    name = QStringLiteral("en_US_POSIX");
  }
  return icu::Locale(name.toUtf8().constData());
}

icu::TimeZone* icuTimeZone(const DateTextPlace& place) {
  if (place.timeZone.isEmpty()) {
    return icu::TimeZone::createDefault();
  }
  const QString id = place.timeZone;
  return icu::TimeZone::createTimeZone(icu::UnicodeString(reinterpret_cast<const UChar*>(id.utf16()),
                                                          static_cast<int32_t>(id.size())));
}

// Formatters are costly to make; keep one per style, locale and zone per thread.
using FormatterKey = std::tuple<int, int, QString, QString>;

const icu::DateFormat* formatter(icu::DateFormat::EStyle dateStyle, icu::DateFormat::EStyle timeStyle,
                                 const DateTextPlace& place) {
  thread_local std::map<FormatterKey, std::unique_ptr<icu::DateFormat>> cache;
  const FormatterKey key{dateStyle, timeStyle, place.locale.isEmpty() ? QLocale().name() : place.locale,
                         place.timeZone};
  auto found = cache.find(key);
  if (found == cache.end()) {
    std::unique_ptr<icu::DateFormat> format(
        icu::DateFormat::createDateTimeInstance(dateStyle, timeStyle, icuLocale(place)));
    if (format) {
      format->adoptTimeZone(icuTimeZone(place));
    }
    found = cache.emplace(key, std::move(format)).first;
  }
  return found->second.get();
}

QString format(const QDateTime& date, icu::DateFormat::EStyle dateStyle, icu::DateFormat::EStyle timeStyle,
               const DateTextPlace& place) {
  const icu::DateFormat* dateFormat = formatter(dateStyle, timeStyle, place);
  if (dateFormat == nullptr || !date.isValid()) {
    return {};
  }
  icu::UnicodeString text;
  dateFormat->format(static_cast<UDate>(date.toMSecsSinceEpoch()), text);
  return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

QString fileNameSafe(QString text) { return text.replace(QLatin1Char('/'), QLatin1Char('-')); }

}  // namespace

QString kmlFolderName(const QDateTime& date, const DateTextPlace& place) {
  return format(date, icu::DateFormat::kLong, icu::DateFormat::kNone, place);
}

QByteArray kmlWhenLatin1(const QDateTime& date, const DateTextPlace& place) {
  if (!date.isValid()) {
    return {};
  }
  thread_local std::map<QString, std::unique_ptr<icu::TimeZone>> zones;
  auto zone = zones.find(place.timeZone);
  if (zone == zones.end()) {
    zone = zones.emplace(place.timeZone, std::unique_ptr<icu::TimeZone>(icuTimeZone(place))).first;
  }
  const qint64 msecs = date.toMSecsSinceEpoch();
  int32_t rawOffset = 0;
  int32_t dstOffset = 0;
  UErrorCode status = U_ZERO_ERROR;
  zone->second->getOffset(static_cast<UDate>(msecs), false, rawOffset, dstOffset, status);
  if (U_FAILURE(status)) {
    rawOffset = 0;
    dstOffset = 0;
  }
  // Digits are written by hand: the pattern is all-numeric, and an ICU
  // formatter per fix would dominate a large export.
  const qint64 local = msecs + rawOffset + dstOffset;
  const qint64 days = local >= 0 ? local / 86400000 : -((-local + 86399999) / 86400000);
  const qint64 msOfDay = local - days * 86400000;
  const QDate day = QDate::fromJulianDay(days + 2440588);  // 1970-01-01 is Julian day 2440588
  const int seconds = static_cast<int>(msOfDay / 1000);
  char buffer[40];
  const int length = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", day.year(), day.month(),
                                   day.day(), seconds / 3600, (seconds / 60) % 60, seconds % 60);
  return QByteArray(buffer, length);
}

QString kmlWhenString(const QDateTime& date, const DateTextPlace& place) {
  return QString::fromLatin1(kmlWhenLatin1(date, place));
}

QString kmlEventDescriptionString(const QDateTime& date, const DateTextPlace& place) {
  return format(date, icu::DateFormat::kLong, icu::DateFormat::kFull, place);
}

QString backUpDirectoryName(const QDateTime& date, const DateTextPlace& place) {
  return fileNameSafe(format(date, icu::DateFormat::kLong, icu::DateFormat::kFull, place));
}

QString captureImageFileName(const QDateTime& date, const DateTextPlace& place) {
  return fileNameSafe(format(date, icu::DateFormat::kLong, icu::DateFormat::kFull, place));
}

}  // namespace dashcard
