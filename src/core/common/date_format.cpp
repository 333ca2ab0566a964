#include "core/common/date_format.h"

#include <QLocale>
#include <QTimeZone>

#include <cstdio>

#include <unicode/basictz.h>
#include <unicode/datefmt.h>
#include <unicode/tztrans.h>
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
  const QString& id = place.timeZone;
  return icu::TimeZone::createTimeZone(
      icu::UnicodeString(reinterpret_cast<const UChar*>(id.constData()), static_cast<int32_t>(id.size())));
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

// FAT and exFAT, where such copies usually go, refuse these in a name.
QString fileNameSafe(QString text) {
  for (const QChar c : {u'/', u'\\', u':', u'*', u'?', u'"', u'<', u'>', u'|'}) {
    text.replace(c, QLatin1Char('-'));
  }
  return text;
}

}  // namespace

QString kmlFolderName(const QDateTime& date, const DateTextPlace& place) {
  return format(date, icu::DateFormat::kLong, icu::DateFormat::kNone, place);
}

namespace {

// A zone's offset with the span of time it holds for: a track's fixes
// fall in one span, so the zone rules are asked once per span, not per fix.
struct OffsetSpan {
  std::unique_ptr<icu::TimeZone> zone;
  UDate from = 0;
  UDate to = -1;  // empty
  qint64 offsetMs = 0;
};

qint64 offsetAt(OffsetSpan& span, UDate when) {
  if (when >= span.from && when < span.to) {
    return span.offsetMs;
  }
  int32_t rawOffset = 0;
  int32_t dstOffset = 0;
  UErrorCode status = U_ZERO_ERROR;
  span.zone->getOffset(when, false, rawOffset, dstOffset, status);
  span.offsetMs = U_FAILURE(status) ? 0 : static_cast<qint64>(rawOffset) + dstOffset;
  // Without transition data the offset is used for this instant only.
  span.from = when;
  span.to = when + 1;
  if (U_SUCCESS(status)) {
    if (const auto* rules = dynamic_cast<const icu::BasicTimeZone*>(span.zone.get())) {
      icu::TimeZoneTransition previous;
      icu::TimeZoneTransition next;
      const bool hasPrevious = rules->getPreviousTransition(when, true, previous);
      const bool hasNext = rules->getNextTransition(when, false, next);
      span.from = hasPrevious ? previous.getTime() : -1e300;
      span.to = hasNext ? next.getTime() : 1e300;
    }
  }
  return span.offsetMs;
}

void appendDigits(char*& at, int value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    at[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  at += width;
}

}  // namespace

bool appendKmlWhen(QByteArray& out, const QDateTime& date, const DateTextPlace& place) {
  if (!date.isValid()) {
    return false;
  }
  thread_local std::map<QString, OffsetSpan> spans;
  auto span = spans.find(place.timeZone);
  if (span == spans.end()) {
    span = spans.emplace(place.timeZone, OffsetSpan{}).first;
    span->second.zone.reset(icuTimeZone(place));
  }
  const qint64 msecs = date.toMSecsSinceEpoch();
  // Digits are written by hand: the pattern is all-numeric, and an ICU
  // formatter per fix would dominate a large export.
  const qint64 local = msecs + offsetAt(span->second, static_cast<UDate>(msecs));
  const qint64 days = local >= 0 ? local / 86400000 : -((-local + 86399999) / 86400000);
  const qint64 msOfDay = local - days * 86400000;
  // Civil date of a day count since 1970-01-01 (proleptic Gregorian).
  const qint64 z = days + 719468;
  const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
  const qint64 dayOfEra = z - era * 146097;
  const qint64 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const qint64 mp = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const qint64 year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  if (year < 0 || year > 9999) {
    // Out of the four-digit range: the general formatter's text.
    char buffer[48];
    const QDate civil = QDate::fromJulianDay(days + 2440588);
    const int seconds = static_cast<int>(msOfDay / 1000);
    const int length = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", civil.year(),
                                     civil.month(), civil.day(), seconds / 3600, (seconds / 60) % 60, seconds % 60);
    out.append(buffer, length);
    return true;
  }
  const int seconds = static_cast<int>(msOfDay / 1000);
  char buffer[20];
  char* at = buffer;
  appendDigits(at, static_cast<int>(year), 4);
  *at++ = '-';
  appendDigits(at, month, 2);
  *at++ = '-';
  appendDigits(at, day, 2);
  *at++ = 'T';
  appendDigits(at, seconds / 3600, 2);
  *at++ = ':';
  appendDigits(at, (seconds / 60) % 60, 2);
  *at++ = ':';
  appendDigits(at, seconds % 60, 2);
  *at++ = 'Z';
  out.append(buffer, at - buffer);
  return true;
}

QByteArray kmlWhenLatin1(const QDateTime& date, const DateTextPlace& place) {
  QByteArray text;
  appendKmlWhen(text, date, place);
  return text;
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
