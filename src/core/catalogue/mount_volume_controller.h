#pragma once

#include "core/catalogue/device_facts.h"
#include "core/catalogue/volume_information.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

class QSocketNotifier;
struct libmnt_monitor;

namespace dashcard {

// Receives the reports of a MountVolumeController.
class MountVolumeDelegate {
 public:
  virtual ~MountVolumeDelegate() = default;
  virtual void didMountVolume(const VolumeInformation& info) = 0;
  virtual void didUnmountVolume(const VolumeInformation& info) = 0;
  // `oldPath` is the full path (URL text) the volume had before.
  virtual void didRenameVolume(const VolumeInformation& info, const QString& oldPath) = 0;
};

// Keeps the list of mounted cards and reports mounts, unmounts and renames.
// The mount table and its changes come from libmount (its monitor runs on a
// socket notifier of the event loop), device facts from a DeviceFacts source.
// Main thread only.
class MountVolumeController : public QObject {
  Q_OBJECT
 public:
  // A device unmounted and mounted again elsewhere within this time is a rename.
  static constexpr int kRenameIntervalMs = 2000;

  // No type list; removable, writable and unmountable yes; no delegate.
  explicit MountVolumeController(QObject* parent = nullptr);
  MountVolumeController(std::optional<QStringList> types, bool removable, bool writable, bool unmountable,
                        MountVolumeDelegate* delegate, QObject* parent = nullptr);
  ~MountVolumeController() override;

  // Replaces the device facts (udev by default).
  void setDeviceFacts(std::unique_ptr<DeviceFacts> facts);
  // A mount table file to read instead of the system's; its changes are
  // reported only through mountTableDidChange().
  void setMountTablePath(const QString& path) { mountTablePath_ = path; }
  // Folders under which the desktop's disk service mounts cards for the user
  // (/media and /run/media by default).
  void setUserMountRoots(const QStringList& roots);

  bool removable() const { return removable_; }
  bool writable() const { return writable_; }
  bool unmountable() const { return unmountable_; }
  const std::optional<QStringList>& types() const { return types_; }
  const QList<VolumeInformation>& volumeList() const { return volumeList_; }

  // The record of the volume mounted at `path` through the tracker's own
  // filters; none when nothing is mounted there or it is filtered out.
  std::optional<VolumeInformation> getVolumeInfo(const QString& path) const;
  // The writable flag is not compared.
  std::optional<VolumeInformation> getVolumeInfo(const QString& path, const std::optional<QStringList>& types,
                                                 bool removable, bool writable, bool unmountable) const;

  QStringList mountedRemovableMedia() const { return mountedMediaWithRemovable(true); }
  QStringList mountedLocalVolumePaths() const { return mountedMediaWithRemovable(false); }
  // Mount paths in the table's order; only removable ones when `removableOnly`.
  QStringList mountedMediaWithRemovable(bool removableOnly) const;

  // Reports the mounted volumes on the next event-loop turn, then starts
  // listening for changes.
  void makeVolumeList();
  void startVolumeChangeNotifications();
  void stopVolumeChangeNotifications();
  // Reads the mount table again and reports what changed since the last read.
  void mountTableDidChange();

  bool isMounted(const QString& path) const;

 private:
  struct MountEntry {
    QString source;
    QString target;
    QString fsType;
    QStringList options;
    bool systemFs = false;
  };
  struct PendingUnmount {
    QString source;
    QString fullPath;
    int serial = 0;
  };

  QList<MountEntry> readMountTable() const;
  std::optional<MountEntry> entryAt(const QString& path) const;
  bool isUnmountable(const MountEntry& entry) const;
  std::optional<VolumeInformation> recordFor(const MountEntry& entry, const std::optional<QStringList>& types,
                                             bool removable, bool unmountable) const;
  void delayedDidMountVolume(const VolumeInformation& info);
  void didMountNotification(const MountEntry& entry);
  void didUnmountNotification(const QString& fullPath);
  void didRenameNotification(const QString& oldFullPath, const MountEntry& entry);
  void beginUnmount(const MountEntry& entry);

  std::optional<QStringList> types_;
  bool removable_ = true;
  bool writable_ = true;
  bool unmountable_ = true;
  MountVolumeDelegate* delegate_ = nullptr;
  std::unique_ptr<DeviceFacts> facts_;
  QString mountTablePath_;
  QStringList userMountRoots_;
  QList<VolumeInformation> volumeList_;
  QList<MountEntry> lastTable_;
  QList<PendingUnmount> pendingUnmounts_;
  int pendingSerial_ = 0;
  libmnt_monitor* monitor_ = nullptr;
  QSocketNotifier* notifier_ = nullptr;
  bool listening_ = false;
};

}  // namespace dashcard
