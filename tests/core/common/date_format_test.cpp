#include "core/common/date_format.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

const QDateTime kNoon = QDateTime(QDate(2024, 1, 1), QTime(23, 30, 5), Qt::UTC);

TEST(DateTexts, KmlWhenIsTheLocalClockWithALiteralZ) {
  EXPECT_EQ(kmlWhenString(kNoon, {QStringLiteral("en_US"), QStringLiteral("UTC")}), "2024-01-01T23:30:05Z");
  // Tokyo is 9 hours ahead: the next day, and still a "Z".
  EXPECT_EQ(kmlWhenString(kNoon, {{}, QStringLiteral("Asia/Tokyo")}), "2024-01-02T08:30:05Z");
  // Daylight-saving time counts.
  const QDateTime summer(QDate(2024, 7, 1), QTime(12, 0, 0), Qt::UTC);
  EXPECT_EQ(kmlWhenString(summer, {{}, QStringLiteral("Europe/Berlin")}), "2024-07-01T14:00:00Z");
  EXPECT_EQ(kmlWhenString(QDateTime(), {}), "");
}

// The zone's offset is kept for the span it holds: fixes on both sides of
// a change of clocks, asked in any order, each get their own.
TEST(DateTexts, KmlWhenAcrossAChangeOfClocks) {
  const DateTextPlace berlin{{}, QStringLiteral("Europe/Berlin")};
  const QDateTime lastWinter(QDate(2024, 3, 31), QTime(0, 59, 59), Qt::UTC);
  const QDateTime firstSummer = lastWinter.addSecs(1);
  const QDateTime lastSummer(QDate(2024, 10, 27), QTime(0, 59, 59), Qt::UTC);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(kmlWhenString(lastWinter, berlin), "2024-03-31T01:59:59Z");
    EXPECT_EQ(kmlWhenString(firstSummer, berlin), "2024-03-31T03:00:00Z");
    EXPECT_EQ(kmlWhenString(lastSummer, berlin), "2024-10-27T02:59:59Z");
    EXPECT_EQ(kmlWhenString(lastSummer.addSecs(1), berlin), "2024-10-27T02:00:00Z");
  }
  // Dates far from now and before 1970 keep the calendar.
  EXPECT_EQ(kmlWhenString(QDateTime(QDate(1969, 12, 31), QTime(23, 59, 59), Qt::UTC), {{}, QStringLiteral("UTC")}),
            "1969-12-31T23:59:59Z");
  EXPECT_EQ(kmlWhenString(QDateTime(QDate(2400, 2, 29), QTime(6, 7, 8), Qt::UTC), {{}, QStringLiteral("UTC")}),
            "2400-02-29T06:07:08Z");
  QByteArray appended("<when>");
  EXPECT_TRUE(appendKmlWhen(appended, kNoon, {{}, QStringLiteral("UTC")}));
  EXPECT_FALSE(appendKmlWhen(appended, QDateTime(), {}));
  EXPECT_EQ(appended, "<when>2024-01-01T23:30:05Z");
}

TEST(DateTexts, LongStylesFollowTheLocaleAndZone) {
  const DateTextPlace us{QStringLiteral("en_US"), QStringLiteral("UTC")};
  EXPECT_EQ(kmlFolderName(kNoon, us), "January 1, 2024");
  EXPECT_EQ(kmlFolderName(kNoon, {QStringLiteral("en_US"), QStringLiteral("Asia/Tokyo")}), "January 2, 2024");
  EXPECT_EQ(kmlFolderName(kNoon, {QStringLiteral("ja_JP"), QStringLiteral("UTC")}), "2024年1月1日");
  const QString full = kmlEventDescriptionString(kNoon, us);
  EXPECT_TRUE(full.startsWith(QStringLiteral("January 1, 2024"))) << full.toStdString();
  EXPECT_TRUE(full.contains(QStringLiteral("11:30:05"))) << full.toStdString();
  EXPECT_TRUE(kmlEventDescriptionString(QDateTime(), us).isEmpty());
}

TEST(DateTexts, FileNamesNeverHoldASlash) {
  // Some locales write dates with slashes; a file name cannot hold one.
  for (const char* locale : {"en_US", "fa_IR", "ja_JP", "de_DE", "zh_Hans_CN"}) {
    const DateTextPlace place{QString::fromLatin1(locale), QStringLiteral("UTC")};
    EXPECT_FALSE(backUpDirectoryName(kNoon, place).contains(QLatin1Char('/'))) << locale;
    EXPECT_FALSE(captureImageFileName(kNoon, place).contains(QLatin1Char('/'))) << locale;
    EXPECT_FALSE(backUpDirectoryName(kNoon, place).isEmpty()) << locale;
  }
}

}  // namespace
}  // namespace dashcard
