#pragma once

#include <QObject>
#include <QVariant>

namespace dashcard {

// The exact names of the process-wide notifications. Objects that do not know
// each other meet through NotificationCenter's signals, each one named here.
inline constexpr const char* kMasterMediaControllerDidChangeNotification =
    "MasterMediaControllerDidChangeNotification";
inline constexpr const char* kMasterMediaControllerDateDidUpdateNotification =
    "MasterMediaControllerDateDidUpdateNotification";
inline constexpr const char* kPlayerScrollViewDetectTripleTapNotification =
    "PlayerScrollViewDetectTripleTapNotification";
inline constexpr const char* kSideBarViewControllerCollapseDidChangeNotification =
    "SideBarViewControllerCollapseDidChangeNotification";

// One process-wide object; posting is a synchronous signal emission on the
// posting thread (the main thread), so observers run before post() returns.
class NotificationCenter : public QObject {
  Q_OBJECT

 public:
  static NotificationCenter& defaultCenter();

  // Emits `notification` with the name and object; also emits the named
  // signal below that matches `name`.
  void post(const QString& name, QObject* object = nullptr, const QVariant& value = {});

 signals:
  // Every notification: its name, the posting object (may be null) and a
  // value for notifications whose object is not a QObject (a date).
  void notification(const QString& name, QObject* object, const QVariant& value);

  void masterMediaControllerDidChange(QObject* master);
  void masterMediaControllerDateDidUpdate(const QDateTime& date);
  void playerScrollViewDetectTripleTap(QObject* scrollView);

 private:
  NotificationCenter() = default;
};

}  // namespace dashcard
