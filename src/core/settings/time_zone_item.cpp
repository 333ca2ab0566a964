#include "core/settings/time_zone_item.h"

#include "core/settings/ini_file_loader.h"
#include "core/settings/ini_file_parameters.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <utility>

namespace dashcard {

TimeZoneItem::TimeZoneItem(QString itemKey, QString itemName)
    : itemKey_(std::move(itemKey)), itemName_(std::move(itemName)) {}

QString TimeZoneItem::itemDisplayName() const {
  // The English name is the key of the string table.
  const QByteArray key = itemName_.toUtf8();
  return QCoreApplication::translate("Localizable", key.constData());
}

QTimeZone TimeZoneItem::timeZone() const {
  // Regions whose daylight-saving rules the camera's "_D" zones follow.
  static const std::pair<const char*, const char*> kRegions[] = {
      {"CHAST_D", "Pacific/Chatham"},     {"NZST_D", "Pacific/Auckland"},      {"LHST_D", "Australia/Lord_Howe"},
      {"AEST_D", "Australia/Sydney"},     {"ACST_D", "Australia/Adelaide"},    {"NST_CAN_D", "America/St_Johns"},
      {"AST_CAN_D", "America/Halifax"},   {"EST_USA_D", "America/New_York"},  {"CST_USA_D", "America/Chicago"},
      {"MST_USA_D", "America/Denver"},    {"PST_USA_D", "America/Los_Angeles"}, {"AKST_USA_D", "America/Anchorage"},
      {"HAST_USA_D", "America/Adak"},
  };
  for (const auto& [key, region] : kRegions) {
    if (itemKey_ == QLatin1String(key)) {
      const QTimeZone zone(region);
      if (zone.isValid()) return zone;
    }
  }
  // "... (UTC+12:45)" or "(UTC-03:30/UTC-02:30)": the standard offset comes first.
  const qsizetype at = itemName_.indexOf(QLatin1String("(UTC"));
  if (at < 0 || at + 5 >= itemName_.size() || (itemName_[at + 4] != u'+' && itemName_[at + 4] != u'-')) {
    return QTimeZone::utc();
  }
  const int sign = itemName_[at + 4] == u'-' ? -1 : 1;
  const QStringList parts = itemName_.mid(at + 5, 5).split(u':');
  const int hours = parts.value(0).toInt();
  const int minutes = parts.value(1).left(2).toInt();
  return QTimeZone(sign * (hours * 3600 + minutes * 60));
}

QTimeZone TimeZoneItem::timeZoneOfCard(const QString& root) {
  IniFileLoader loader(QDir(root).filePath(IniFileParameters::IniFileName()));
  if (loader.load() != IniFileLoader::kLoaded || !loader.resultData()) return QTimeZone::utc();
  return timeZoneOfKey(loader.resultData()->timeZoneValue());
}

QTimeZone TimeZoneItem::timeZoneOfKey(const QString& key) {
  for (const TimeZoneItem& item : timeZoneItems()) {
    if (item.itemKey() == key) return item.timeZone();
  }
  return QTimeZone::utc();
}

const QList<TimeZoneItem>& TimeZoneItem::timeZoneItems() {
  static const QList<TimeZoneItem> items = [] {
    QList<TimeZoneItem> list;
    int count = 0;
    const IniFileParameters::TimeZoneEntry* table = IniFileParameters::timeZoneTable(&count);
    for (int i = 0; i < count; ++i) {
      list.append(TimeZoneItem(QString::fromLatin1(table[i].value), QString::fromLatin1(table[i].name)));
    }
    return list;
  }();
  return items;
}

}  // namespace dashcard
