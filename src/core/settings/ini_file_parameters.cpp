#include "core/settings/ini_file_parameters.h"

#include <iterator>

namespace dashcard {
namespace {

// Display names as the camera shows them, so the editor's list matches the
// camera's own menu.
constexpr IniFileParameters::TimeZoneEntry kTimeZones[] = {
    {"CHAST_D", "Chatham Islands (UTC+12:45/UTC+13:45)"},
    {"CHAST", "Chatham Islands (UTC+12:45)"},
    {"NZST_D", "New Zealand (UTC+12:00/UTC+13:00)"},
    {"NZST", "New Zealand (UTC+12:00)"},
    {"LHST_D", "Lord Howe (UTC+10:30/UTC+11:00)"},
    {"LHST", "Lord Howe (UTC+10:30)"},
    {"AEST_D", "Eastern Australia (UTC+10:00/UTC+11:00)"},
    {"AEST", "Eastern Australia (UTC+10:00)"},
    {"ACST_D", "Central Australia (UTC+09:30/UTC+10:30)"},
    {"ACST", "Central Australia (UTC+09:30)"},
    {"AWST", "Western Australia (UTC+08:00)"},
    {"JST", "Japan (UTC+09:00)"},
    {"CST_CHN", "China (UTC+08:00)"},
    {"UTC", "Coordinated Universal Time (UTC)"},
    {"NST_CAN_D", "Newfoundland (UTC-03:30/UTC-02:30)"},
    {"NST_CAN", "Newfoundland (UTC-03:30)"},
    {"AST_CAN_D", "Atlantic (UTC-04:00/UTC-03:00)"},
    {"AST_CAN", "Atlantic (UTC-04:00)"},
    {"EST_USA_D", "Eastern USA (UTC-05:00/UTC-04:00)"},
    {"EST_USA", "Eastern USA (UTC-05:00)"},
    {"CST_USA_D", "Central USA (UTC-06:00/UTC-05:00)"},
    {"CST_USA", "Central USA (UTC-06:00)"},
    {"MST_USA_D", "Mountian USA (UTC-07:00/UTC-06:00)"},
    {"MST_USA", "Mountian USA (UTC-07:00)"},
    {"PST_USA_D", "Western USA (UTC-08:00/UTC-07:00)"},
    {"PST_USA", "Western USA (UTC-08:00)"},
    {"AKST_USA_D", "Alaska (UTC-09:00/UTC-08:00)"},
    {"AKST_USA", "Alaska (UTC-09:00)"},
    {"HAST_USA_D", "Hawaii (UTC-10:00/UTC-9:00)"},
    {"HAST_USA", "Hawaii (UTC-10:00)"},
};
constexpr int kTimeZoneCount = static_cast<int>(std::size(kTimeZones));

QString value(int index) { return QString::fromLatin1(kTimeZones[index].value); }
QString name(int index) { return QString::fromLatin1(kTimeZones[index].name); }

}  // namespace

QString IniFileParameters::IniFileName() { return QStringLiteral("rynd_settings.ini"); }

const QStringList& IniFileParameters::ImpactLevelValues() {
  static const QStringList values{QStringLiteral("OFF"), QStringLiteral("L5"), QStringLiteral("L4"),
                                  QStringLiteral("L3"),  QStringLiteral("L2"), QStringLiteral("L1")};
  return values;
}

const QStringList& IniFileParameters::VideoClipTimeValues() {
  static const QStringList values{QStringLiteral("30sec"), QStringLiteral("1min"), QStringLiteral("3min")};
  return values;
}

const QStringList& IniFileParameters::AudioValues() {
  static const QStringList values{QStringLiteral("ON"), QStringLiteral("OFF")};
  return values;
}

const QStringList& IniFileParameters::RearCameraValues() {
  static const QStringList values{QStringLiteral("ON"), QStringLiteral("OFF")};
  return values;
}

const QStringList& IniFileParameters::DvrResetValue() {
  static const QStringList values{QStringLiteral("ON")};
  return values;
}

const QStringList& IniFileParameters::VideoQualityValues() {
  static const QStringList values{QStringLiteral("FINE"), QStringLiteral("NORMAL")};
  return values;
}

const QStringList& IniFileParameters::WiFiLanValues() {
  static const QStringList values{QStringLiteral("2G"), QStringLiteral("5G")};
  return values;
}

const QStringList& IniFileParameters::TimeZoneValuList() {
  static const QStringList values = [] {
    QStringList list;
    for (int i = 0; i < kTimeZoneCount; ++i) {
      list << value(i);
    }
    return list;
  }();
  return values;
}

const IniFileParameters::TimeZoneEntry* IniFileParameters::timeZoneTable(int* count) {
  if (count != nullptr) {
    *count = kTimeZoneCount;
  }
  return kTimeZones;
}

#define DASHCARD_TIME_ZONE(region, index)                                  \
  QString IniFileParameters::timeZoneValue##region() { return value(index); } \
  QString IniFileParameters::timeZoneName##region() { return name(index); }

DASHCARD_TIME_ZONE(ChathamIslands_D, 0)
DASHCARD_TIME_ZONE(ChathamIslands, 1)
DASHCARD_TIME_ZONE(NewZealand_D, 2)
DASHCARD_TIME_ZONE(NewZealand, 3)
DASHCARD_TIME_ZONE(LordHowe_D, 4)
DASHCARD_TIME_ZONE(LordHowe, 5)
DASHCARD_TIME_ZONE(AustraliaEastern_D, 6)
DASHCARD_TIME_ZONE(AustraliaEastern, 7)
DASHCARD_TIME_ZONE(AustraliaCentral_D, 8)
DASHCARD_TIME_ZONE(AustraliaCentral, 9)
DASHCARD_TIME_ZONE(AustraliaWestern, 10)
DASHCARD_TIME_ZONE(Japan, 11)
DASHCARD_TIME_ZONE(China, 12)
DASHCARD_TIME_ZONE(UTC, 13)
DASHCARD_TIME_ZONE(Newfoundland_D, 14)
DASHCARD_TIME_ZONE(Newfoundland, 15)
DASHCARD_TIME_ZONE(Atlantic_D, 16)
DASHCARD_TIME_ZONE(Atlantic, 17)
DASHCARD_TIME_ZONE(UsaEastern_D, 18)
DASHCARD_TIME_ZONE(UsaEastern, 19)
DASHCARD_TIME_ZONE(UsaCentral_D, 20)
DASHCARD_TIME_ZONE(UsaCentral, 21)
DASHCARD_TIME_ZONE(UsaMauntain_D, 22)
DASHCARD_TIME_ZONE(UsaMauntain, 23)
DASHCARD_TIME_ZONE(UsaPacific_D, 24)
DASHCARD_TIME_ZONE(UsaPacific, 25)
DASHCARD_TIME_ZONE(UsaAlaska_D, 26)
DASHCARD_TIME_ZONE(UsaAlaska, 27)
DASHCARD_TIME_ZONE(UsaHawaii_D, 28)
DASHCARD_TIME_ZONE(UsaHawaii, 29)

#undef DASHCARD_TIME_ZONE

}  // namespace dashcard
