#include "core/catalogue/mount_volume_controller.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <libmount.h>

#include <algorithm>

namespace dashcard {
namespace {

// Mount points that belong to the running system, never to a card.
bool isSystemTarget(const QString& target) {
  static const QStringList exact = {QStringLiteral("/"),    QStringLiteral("/boot"), QStringLiteral("/boot/efi"),
                                    QStringLiteral("/usr"), QStringLiteral("/var"),  QStringLiteral("/home"),
                                    QStringLiteral("/opt"), QStringLiteral("/srv"),  QStringLiteral("/tmp")};
  static const QStringList trees = {QStringLiteral("/proc/"), QStringLiteral("/sys/"), QStringLiteral("/dev/"),
                                    QStringLiteral("/boot/")};
  if (exact.contains(target)) return true;
  for (const QString& tree : trees) {
    if (target.startsWith(tree)) return true;
  }
  return target.startsWith(QStringLiteral("/run/")) && !target.startsWith(QStringLiteral("/run/media/"));
}

bool isUserMountOption(const QString& option) {
  return option == QLatin1String("user") || option == QLatin1String("users") ||
         option.startsWith(QLatin1String("user="));
}

QString fullPathFor(const QString& target) {
  QString text = QUrl::fromLocalFile(target).toString(QUrl::FullyEncoded);
  if (!text.endsWith(QLatin1Char('/'))) text += QLatin1Char('/');
  return text;
}

QIcon iconFor(const DeviceFact& fact) {
  // QIcon needs the GUI application; a command-line tool gets no icon.
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return {};
  QString name = QStringLiteral("drive-harddisk");
  if (fact.bus == QLatin1String("mmc")) {
    name = QStringLiteral("media-flash");
  } else if (fact.bus == QLatin1String("usb")) {
    name = QStringLiteral("drive-removable-media-usb");
  } else if (fact.removable) {
    name = QStringLiteral("drive-removable-media");
  }
  const QIcon icon = QIcon::fromTheme(name, QIcon(QStringLiteral(":/images/card.svg")));
  return QIcon(icon.pixmap(32, 32));
}

}  // namespace

MountVolumeController::MountVolumeController(QObject* parent)
    : MountVolumeController(std::nullopt, true, true, true, nullptr, parent) {}

MountVolumeController::MountVolumeController(std::optional<QStringList> types, bool removable, bool writable,
                                             bool unmountable, MountVolumeDelegate* delegate, QObject* parent)
    : QObject(parent),
      types_(std::move(types)),
      removable_(removable),
      writable_(writable),
      unmountable_(unmountable),
      delegate_(delegate),
      facts_(DeviceFacts::systemFacts()),
      userMountRoots_({QStringLiteral("/media"), QStringLiteral("/run/media")}) {}

MountVolumeController::~MountVolumeController() { stopVolumeChangeNotifications(); }

void MountVolumeController::setDeviceFacts(std::unique_ptr<DeviceFacts> facts) { facts_ = std::move(facts); }

void MountVolumeController::setUserMountRoots(const QStringList& roots) {
  userMountRoots_.clear();
  for (const QString& root : roots) {
    // The kernel's table holds resolved paths.
    const QString canonical = QFileInfo(root).canonicalFilePath();
    userMountRoots_.append(canonical.isEmpty() ? QDir::cleanPath(root) : canonical);
  }
}

QList<MountVolumeController::MountEntry> MountVolumeController::readMountTable() const {
  QList<MountEntry> entries;
  libmnt_table* table = mnt_new_table();
  if (table == nullptr) return entries;
  const int parsed = mountTablePath_.isEmpty() ? mnt_table_parse_mtab(table, nullptr)
                                               : mnt_table_parse_file(table, QFile::encodeName(mountTablePath_));
  libmnt_iter* iterator = mnt_new_iter(MNT_ITER_FORWARD);
  libmnt_fs* fs = nullptr;
  while (parsed == 0 && iterator != nullptr && mnt_table_next_fs(table, iterator, &fs) == 0) {
    MountEntry entry;
    entry.source = QString::fromLocal8Bit(mnt_fs_get_source(fs));
    entry.target = QString::fromLocal8Bit(mnt_fs_get_target(fs));
    entry.fsType = QString::fromLocal8Bit(mnt_fs_get_fstype(fs));
    entry.options = QString::fromLocal8Bit(mnt_fs_get_options(fs)).split(QLatin1Char(','), Qt::SkipEmptyParts);
    entry.systemFs = mnt_fs_is_pseudofs(fs) != 0 || mnt_fs_is_netfs(fs) != 0 || mnt_fs_is_swaparea(fs) != 0;
    if (entry.target.isEmpty()) continue;
    // A later mount on the same folder hides the earlier one.
    entries.removeIf([&](const MountEntry& other) { return other.target == entry.target; });
    entries.append(entry);
  }
  mnt_free_iter(iterator);
  mnt_unref_table(table);
  return entries;
}

std::optional<MountVolumeController::MountEntry> MountVolumeController::entryAt(const QString& path) const {
  const QString target = QDir::cleanPath(path);
  for (const MountEntry& entry : readMountTable()) {
    if (entry.target == target) return entry;
  }
  return std::nullopt;
}

bool MountVolumeController::isUnmountable(const MountEntry& entry) const {
  if (entry.systemFs || isSystemTarget(entry.target)) return false;
  for (const QString& root : userMountRoots_) {
    if (entry.target.startsWith(root + QLatin1Char('/'))) return true;
  }
  return std::any_of(entry.options.cbegin(), entry.options.cend(), isUserMountOption);
}

std::optional<VolumeInformation> MountVolumeController::recordFor(const MountEntry& entry,
                                                                  const std::optional<QStringList>& types,
                                                                  bool removable, bool unmountable) const {
  if (entry.systemFs || !facts_) return std::nullopt;
  const std::optional<DeviceFact> fact = facts_->factsForDevice(entry.source);
  if (!fact || fact->removable != removable || isUnmountable(entry) != unmountable) return std::nullopt;
  if (types && !types->contains(entry.fsType)) return std::nullopt;
  VolumeInformation info;
  info.icon = iconFor(*fact);
  info.name = fact->label.isEmpty() ? QFileInfo(entry.target).fileName() : fact->label;
  if (info.name.isEmpty()) info.name = entry.target;
  info.devicePath = entry.target;
  info.fullPath = fullPathFor(entry.target);
  return info;
}

std::optional<VolumeInformation> MountVolumeController::getVolumeInfo(const QString& path) const {
  return getVolumeInfo(path, types_, removable_, writable_, unmountable_);
}

std::optional<VolumeInformation> MountVolumeController::getVolumeInfo(const QString& path,
                                                                      const std::optional<QStringList>& types,
                                                                      bool removable, bool /*writable*/,
                                                                      bool unmountable) const {
  const std::optional<MountEntry> entry = entryAt(path);
  if (!entry) return std::nullopt;
  return recordFor(*entry, types, removable, unmountable);
}

QStringList MountVolumeController::mountedMediaWithRemovable(bool removableOnly) const {
  QStringList paths;
  for (const MountEntry& entry : readMountTable()) {
    if (entry.systemFs) continue;
    if (removableOnly) {
      const std::optional<DeviceFact> fact = facts_ ? facts_->factsForDevice(entry.source) : std::nullopt;
      if (!fact || !fact->removable) continue;
    }
    paths.append(entry.target);
  }
  return paths;
}

void MountVolumeController::makeVolumeList() {
  lastTable_ = readMountTable();
  const QStringList paths = removable_ ? mountedRemovableMedia() : mountedLocalVolumePaths();
  if (delegate_ != nullptr) {
    for (const MountEntry& entry : lastTable_) {
      if (!paths.contains(entry.target)) continue;
      const std::optional<VolumeInformation> info = recordFor(entry, types_, removable_, unmountable_);
      if (!info) continue;
      // The first reports reach the delegate after this call has returned.
      QTimer::singleShot(0, this, [this, record = *info] { delayedDidMountVolume(record); });
    }
  }
  // Queued after the reports above, so that no change report overtakes them.
  QTimer::singleShot(0, this, &MountVolumeController::startVolumeChangeNotifications);
}

void MountVolumeController::delayedDidMountVolume(const VolumeInformation& info) {
  volumeList_.append(info);
  if (delegate_ != nullptr) delegate_->didMountVolume(info);
}

void MountVolumeController::startVolumeChangeNotifications() {
  if (listening_) return;
  listening_ = true;
  if (mountTablePath_.isEmpty()) {
    monitor_ = mnt_new_monitor();
    if (monitor_ != nullptr) {
      mnt_monitor_enable_kernel(monitor_, 1);
      // utab holds the "user" options of mounts made by mount(8).
      mnt_monitor_enable_userspace(monitor_, 1, nullptr);
      const int fd = mnt_monitor_get_fd(monitor_);
      if (fd >= 0) {
        notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] {
          while (monitor_ != nullptr && mnt_monitor_next_change(monitor_, nullptr, nullptr) == 0) {
          }
          mountTableDidChange();
        });
      } else {
        qWarning("MountVolumeController: no mount monitor, volume changes are not reported");
      }
    }
  }
  // Whatever changed between the first list and now.
  mountTableDidChange();
}

void MountVolumeController::stopVolumeChangeNotifications() {
  listening_ = false;
  delete notifier_;
  notifier_ = nullptr;
  if (monitor_ != nullptr) {
    mnt_unref_monitor(monitor_);
    monitor_ = nullptr;
  }
}

void MountVolumeController::mountTableDidChange() {
  if (!listening_) return;
  const QList<MountEntry> table = readMountTable();
  auto contains = [](const QList<MountEntry>& list, const MountEntry& entry) {
    return std::any_of(list.cbegin(), list.cend(), [&](const MountEntry& other) {
      return other.target == entry.target && other.source == entry.source;
    });
  };
  QList<MountEntry> removed;
  QList<MountEntry> added;
  for (const MountEntry& entry : lastTable_) {
    if (!contains(table, entry)) removed.append(entry);
  }
  for (const MountEntry& entry : table) {
    if (!contains(lastTable_, entry)) added.append(entry);
  }
  lastTable_ = table;
  for (const MountEntry& entry : removed) beginUnmount(entry);
  for (const MountEntry& entry : added) {
    const QString fullPath = fullPathFor(entry.target);
    const auto pending = std::find_if(pendingUnmounts_.begin(), pendingUnmounts_.end(), [&](const PendingUnmount& p) {
      return !p.source.isEmpty() && p.source == entry.source;
    });
    if (pending != pendingUnmounts_.end()) {
      const QString oldFullPath = pending->fullPath;
      pendingUnmounts_.erase(pending);
      // Back at the same place: nothing happened as far as the lists go.
      if (oldFullPath != fullPath) didRenameNotification(oldFullPath, entry);
      continue;
    }
    // Another device now at a place that is still being left: report the old one gone first.
    for (qsizetype i = pendingUnmounts_.size() - 1; i >= 0; --i) {
      if (pendingUnmounts_[i].fullPath == fullPath) {
        pendingUnmounts_.removeAt(i);
        didUnmountNotification(fullPath);
      }
    }
    didMountNotification(entry);
  }
}

void MountVolumeController::beginUnmount(const MountEntry& entry) {
  const QString fullPath = fullPathFor(entry.target);
  const bool reported = std::any_of(volumeList_.cbegin(), volumeList_.cend(),
                                    [&](const VolumeInformation& info) { return info.fullPath == fullPath; });
  if (!reported) return;
  // Held back for a moment: the same device mounted again elsewhere is a rename.
  const int serial = ++pendingSerial_;
  pendingUnmounts_.append({entry.source, fullPath, serial});
  QTimer::singleShot(kRenameIntervalMs, this, [this, serial] {
    const auto pending = std::find_if(pendingUnmounts_.begin(), pendingUnmounts_.end(),
                                      [serial](const PendingUnmount& p) { return p.serial == serial; });
    if (pending == pendingUnmounts_.end()) return;
    const QString path = pending->fullPath;
    pendingUnmounts_.erase(pending);
    didUnmountNotification(path);
  });
}

void MountVolumeController::didMountNotification(const MountEntry& entry) {
  const std::optional<VolumeInformation> info = recordFor(entry, types_, removable_, unmountable_);
  if (!info || delegate_ == nullptr) return;
  volumeList_.append(*info);
  delegate_->didMountVolume(*info);
}

void MountVolumeController::didUnmountNotification(const QString& fullPath) {
  const auto found = std::find_if(volumeList_.begin(), volumeList_.end(),
                                  [&](const VolumeInformation& info) { return info.fullPath == fullPath; });
  if (found == volumeList_.end() || delegate_ == nullptr) return;
  const qsizetype index = found - volumeList_.begin();
  const VolumeInformation info = *found;
  delegate_->didUnmountVolume(info);
  volumeList_.removeAt(index);
}

void MountVolumeController::didRenameNotification(const QString& oldFullPath, const MountEntry& entry) {
  const auto found = std::find_if(volumeList_.begin(), volumeList_.end(),
                                  [&](const VolumeInformation& info) { return info.fullPath == oldFullPath; });
  if (found == volumeList_.end()) return;
  const std::optional<VolumeInformation> moved = recordFor(entry, types_, removable_, unmountable_);
  if (!moved) {
    // Mounted again where it no longer counts as a card.
    didUnmountNotification(oldFullPath);
    return;
  }
  found->fullPath = moved->fullPath;
  found->devicePath = moved->devicePath;
  found->name = moved->name;
  const VolumeInformation renamed = *found;
  if (delegate_ != nullptr) delegate_->didRenameVolume(renamed, oldFullPath);
}

bool MountVolumeController::isMounted(const QString& path) const {
  const QString target = QDir::cleanPath(path);
  return std::any_of(volumeList_.cbegin(), volumeList_.cend(),
                     [&](const VolumeInformation& info) { return info.devicePath == target; });
}

}  // namespace dashcard
