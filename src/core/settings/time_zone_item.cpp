#include "core/settings/time_zone_item.h"

#include "core/settings/ini_file_parameters.h"

#include <QCoreApplication>

namespace dashcard {

TimeZoneItem::TimeZoneItem(QString itemKey, QString itemName)
    : itemKey_(std::move(itemKey)), itemName_(std::move(itemName)) {}

QString TimeZoneItem::itemDisplayName() const {
  // The English name is the key of the string table.
  const QByteArray key = itemName_.toUtf8();
  return QCoreApplication::translate("Localizable", key.constData());
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
