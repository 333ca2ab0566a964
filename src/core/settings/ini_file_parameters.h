#pragma once

#include <QString>
#include <QStringList>

namespace dashcard {

// The camera's settings file: its name and the allowed values of every key,
// in the order the camera's own menu lists them.
class IniFileParameters {
 public:
  static QString IniFileName();

  static const QStringList& ImpactLevelValues();
  static const QStringList& VideoClipTimeValues();
  static const QStringList& AudioValues();
  static const QStringList& RearCameraValues();
  static const QStringList& DvrResetValue();
  static const QStringList& VideoQualityValues();
  static const QStringList& WiFiLanValues();
  // The 30 time-zone keys, east to west.
  static const QStringList& TimeZoneValuList();

  // File value and English display name of each time zone.
  static QString timeZoneValueChathamIslands_D();
  static QString timeZoneNameChathamIslands_D();
  static QString timeZoneValueChathamIslands();
  static QString timeZoneNameChathamIslands();
  static QString timeZoneValueNewZealand_D();
  static QString timeZoneNameNewZealand_D();
  static QString timeZoneValueNewZealand();
  static QString timeZoneNameNewZealand();
  static QString timeZoneValueLordHowe_D();
  static QString timeZoneNameLordHowe_D();
  static QString timeZoneValueLordHowe();
  static QString timeZoneNameLordHowe();
  static QString timeZoneValueAustraliaEastern_D();
  static QString timeZoneNameAustraliaEastern_D();
  static QString timeZoneValueAustraliaEastern();
  static QString timeZoneNameAustraliaEastern();
  static QString timeZoneValueAustraliaCentral_D();
  static QString timeZoneNameAustraliaCentral_D();
  static QString timeZoneValueAustraliaCentral();
  static QString timeZoneNameAustraliaCentral();
  static QString timeZoneValueAustraliaWestern();
  static QString timeZoneNameAustraliaWestern();
  static QString timeZoneValueJapan();
  static QString timeZoneNameJapan();
  static QString timeZoneValueChina();
  static QString timeZoneNameChina();
  static QString timeZoneValueUTC();
  static QString timeZoneNameUTC();
  static QString timeZoneValueNewfoundland_D();
  static QString timeZoneNameNewfoundland_D();
  static QString timeZoneValueNewfoundland();
  static QString timeZoneNameNewfoundland();
  static QString timeZoneValueAtlantic_D();
  static QString timeZoneNameAtlantic_D();
  static QString timeZoneValueAtlantic();
  static QString timeZoneNameAtlantic();
  static QString timeZoneValueUsaEastern_D();
  static QString timeZoneNameUsaEastern_D();
  static QString timeZoneValueUsaEastern();
  static QString timeZoneNameUsaEastern();
  static QString timeZoneValueUsaCentral_D();
  static QString timeZoneNameUsaCentral_D();
  static QString timeZoneValueUsaCentral();
  static QString timeZoneNameUsaCentral();
  static QString timeZoneValueUsaMauntain_D();
  static QString timeZoneNameUsaMauntain_D();
  static QString timeZoneValueUsaMauntain();
  static QString timeZoneNameUsaMauntain();
  static QString timeZoneValueUsaPacific_D();
  static QString timeZoneNameUsaPacific_D();
  static QString timeZoneValueUsaPacific();
  static QString timeZoneNameUsaPacific();
  static QString timeZoneValueUsaAlaska_D();
  static QString timeZoneNameUsaAlaska_D();
  static QString timeZoneValueUsaAlaska();
  static QString timeZoneNameUsaAlaska();
  static QString timeZoneValueUsaHawaii_D();
  static QString timeZoneNameUsaHawaii_D();
  static QString timeZoneValueUsaHawaii();
  static QString timeZoneNameUsaHawaii();

  // File value and English display name of every time zone, in table order.
  struct TimeZoneEntry {
    const char* value;
    const char* name;
  };
  static const TimeZoneEntry* timeZoneTable(int* count);
};

}  // namespace dashcard
