#pragma once

#include <QDateTime>
#include <QString>

namespace dashcard {

// Where a date text is shown: an ICU locale name ("en_US", "de_DE") and an
// IANA time-zone id. Empty fields mean the user's locale and the local zone.
struct DateTextPlace {
  QString locale;
  QString timeZone;
};

// Date texts of the exports, in the local time zone.
// The locale's long date, no time: the name of a day's route folder.
QString kmlFolderName(const QDateTime& date, const DateTextPlace& place = {});
// "yyyy-MM-dd'T'HH:mm:ss'Z'" of the local clock time with a literal Z
// (the camera's readers expect local time there). Fast: called per fix.
QString kmlWhenString(const QDateTime& date, const DateTextPlace& place = {});
// The same text as Latin-1 bytes, for writers that want bytes.
QByteArray kmlWhenLatin1(const QDateTime& date, const DateTextPlace& place = {});
// Appends that text to `out`; false (nothing appended) for an invalid date.
bool appendKmlWhen(QByteArray& out, const QDateTime& date, const DateTextPlace& place = {});
// The locale's long date and full time.
QString kmlEventDescriptionString(const QDateTime& date, const DateTextPlace& place = {});
// The locale's long date and full time, usable as a file name on any card or
// stick: "/" and what FAT refuses (backslash : * ? " < > |) become "-".
QString backUpDirectoryName(const QDateTime& date, const DateTextPlace& place = {});
QString captureImageFileName(const QDateTime& date, const DateTextPlace& place = {});

}  // namespace dashcard
