#pragma once

#include <QList>
#include <QString>
#include <QTimeZone>

namespace dashcard {

// One time zone of the camera as the settings editor lists it.
class TimeZoneItem {
 public:
  TimeZoneItem(QString itemKey, QString itemName);

  // The value written to the settings file, e.g. "JST".
  const QString& itemKey() const { return itemKey_; }
  // The English display name.
  const QString& itemName() const { return itemName_; }
  // The display name in the user's language, the English one without a translation.
  QString itemDisplayName() const;

  // The zone the camera keeps its clock in: a fixed offset, or for the
  // zones with daylight saving ("_D") a region following those rules.
  QTimeZone timeZone() const;
  // The zone of a settings value ("JST", "EST_USA_D"); UTC for an unknown one.
  static QTimeZone timeZoneOfKey(const QString& key);
  // The zone of the settings file on the card at `root`; UTC without one.
  static QTimeZone timeZoneOfCard(const QString& root);

  // The 30 time zones in table order, built once and shared.
  static const QList<TimeZoneItem>& timeZoneItems();

 private:
  QString itemKey_;
  QString itemName_;
};

}  // namespace dashcard
