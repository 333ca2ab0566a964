#include "core/catalogue/trip_overrides.h"

#include "core/common/atomic_file.h"
#include "core/common/regular_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QStorageInfo>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

// A user splits and merges a few dozen times at most.
constexpr qint64 kMaxFileSize = 1 << 20;

QString fileFor(const QString& folder, const QString& identity) {
  return QDir(folder).filePath(
      QString::fromLatin1(QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha256).toHex().left(32)) +
      QStringLiteral(".json"));
}

QStringList strings(const QJsonValue& value) {
  QStringList list;
  for (const QJsonValue& item : value.toArray()) {
    if (item.isString()) list.append(item.toString());
  }
  return list;
}

QString volumeUuid(const QString& rootPath) {
  const QStorageInfo storage(rootPath);
  if (!storage.isValid() || QDir(storage.rootPath()).canonicalPath() != QDir(rootPath).canonicalPath()) {
    return {};
  }
  const QString device = QFileInfo(QString::fromLocal8Bit(storage.device())).canonicalFilePath();
  if (device.isEmpty()) return {};
  const QDir byUuid(QStringLiteral("/dev/disk/by-uuid"));
  for (const QFileInfo& link : byUuid.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
    if (link.canonicalFilePath() == device) return link.fileName();
  }
  return {};
}

}  // namespace

void TripOverrides::merge(const QString& recording) {
  if (breaks_.removeAll(recording) == 0 && !joins_.contains(recording)) joins_.append(recording);
}

void TripOverrides::split(const QString& recording) {
  if (joins_.removeAll(recording) == 0 && !breaks_.contains(recording)) breaks_.append(recording);
}

bool TripOverrides::startsTrip(const QString& recording, bool automatic) const {
  if (breaks_.contains(recording)) return true;
  if (joins_.contains(recording)) return false;
  return automatic;
}

QString TripOverrides::cardIdentity(const QString& rootPath, const DCFInfoList& recordings) {
  const QString uuid = volumeUuid(rootPath);
  if (!uuid.isEmpty()) return QStringLiteral("uuid:") + uuid;
  QString first;
  QDateTime firstStart;
  for (const DCFInfoPtr& info : recordings) {
    const QString name = QFileInfo(info->deltaPath()).fileName();
    if (first.isEmpty() || info->startDate() < firstStart || (info->startDate() == firstStart && name < first)) {
      first = name;
      firstStart = info->startDate();
    }
  }
  const QString canonical = QDir(rootPath).canonicalPath();
  return QStringLiteral("path:%1|%2").arg(canonical.isEmpty() ? QDir::cleanPath(rootPath) : canonical, first);
}

QString TripOverrides::defaultFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/trips");
}

TripOverrides TripOverrides::load(const QString& folder, const QString& identity) {
  TripOverrides overrides;
  struct stat info {};
  const int fd = openRegularFile(fileFor(folder, identity), &info);
  if (fd < 0) return overrides;
  QFile file;
  if (info.st_size > kMaxFileSize || !file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle)) {
    ::close(fd);
    return overrides;
  }
  const QJsonObject object = QJsonDocument::fromJson(file.read(kMaxFileSize)).object();
  if (object.value(QStringLiteral("card")).toString() != identity) return overrides;
  overrides.joins_ = strings(object.value(QStringLiteral("joins")));
  overrides.breaks_ = strings(object.value(QStringLiteral("breaks")));
  return overrides;
}

bool TripOverrides::save(const QString& folder, const QString& identity, QString* error) const {
  if (!QDir().mkpath(folder)) {
    if (error != nullptr) *error = QStringLiteral("Cannot create %1").arg(folder);
    return false;
  }
  const QJsonObject object{{QStringLiteral("card"), identity},
                           {QStringLiteral("joins"), QJsonArray::fromStringList(joins_)},
                           {QStringLiteral("breaks"), QJsonArray::fromStringList(breaks_)}};
  return writeFileAtomically(fileFor(folder, identity), QJsonDocument(object).toJson(), error, false);
}

}  // namespace dashcard
