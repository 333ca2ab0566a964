// The time-zone names the settings editor looks up at run time in the
// "Localizable" table, listed here so that lupdate puts them into the
// translations.
#include <QtGlobal>

namespace dashcard {

extern const char* const kTimeZoneNameKeys[];
const char* const kTimeZoneNameKeys[] = {
    QT_TRANSLATE_NOOP("Localizable", "Chatham Islands (UTC+12:45/UTC+13:45)"),
    QT_TRANSLATE_NOOP("Localizable", "Chatham Islands (UTC+12:45)"),
    QT_TRANSLATE_NOOP("Localizable", "New Zealand (UTC+12:00/UTC+13:00)"),
    QT_TRANSLATE_NOOP("Localizable", "New Zealand (UTC+12:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Lord Howe (UTC+10:30/UTC+11:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Lord Howe (UTC+10:30)"),
    QT_TRANSLATE_NOOP("Localizable", "Eastern Australia (UTC+10:00/UTC+11:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Eastern Australia (UTC+10:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Central Australia (UTC+09:30/UTC+10:30)"),
    QT_TRANSLATE_NOOP("Localizable", "Central Australia (UTC+09:30)"),
    QT_TRANSLATE_NOOP("Localizable", "Western Australia (UTC+08:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Japan (UTC+09:00)"),
    QT_TRANSLATE_NOOP("Localizable", "China (UTC+08:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Coordinated Universal Time (UTC)"),
    QT_TRANSLATE_NOOP("Localizable", "Newfoundland (UTC-03:30/UTC-02:30)"),
    QT_TRANSLATE_NOOP("Localizable", "Newfoundland (UTC-03:30)"),
    QT_TRANSLATE_NOOP("Localizable", "Atlantic (UTC-04:00/UTC-03:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Atlantic (UTC-04:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Eastern USA (UTC-05:00/UTC-04:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Eastern USA (UTC-05:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Central USA (UTC-06:00/UTC-05:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Central USA (UTC-06:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Mountian USA (UTC-07:00/UTC-06:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Mountian USA (UTC-07:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Western USA (UTC-08:00/UTC-07:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Western USA (UTC-08:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Alaska (UTC-09:00/UTC-08:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Alaska (UTC-09:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Hawaii (UTC-10:00/UTC-9:00)"),
    QT_TRANSLATE_NOOP("Localizable", "Hawaii (UTC-10:00)"),
};

}  // namespace dashcard
