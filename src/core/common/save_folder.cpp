#include "core/common/save_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace dashcard {
namespace {

QString key(SaveKind kind) {
  switch (kind) {
    case SaveKind::Capture: return QStringLiteral("saveFolder/capture");
    case SaveKind::BackUp: return QStringLiteral("saveFolder/backup");
    case SaveKind::Export: return QStringLiteral("saveFolder/export");
    case SaveKind::Repair: return QStringLiteral("saveFolder/repair");
  }
  return {};
}

}  // namespace

QString saveFolder(SaveKind kind) {
  const QString last = QSettings().value(key(kind)).toString();
  if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
  const QString standard = QStandardPaths::writableLocation(kind == SaveKind::Capture  ? QStandardPaths::PicturesLocation
                                                            : kind == SaveKind::Repair ? QStandardPaths::MoviesLocation
                                                                                       : QStandardPaths::DocumentsLocation);
  return !standard.isEmpty() && QFileInfo(standard).isDir() ? standard : QDir::homePath();
}

void rememberSaveFolder(SaveKind kind, const QString& chosenPath) {
  if (chosenPath.isEmpty()) return;
  QSettings().setValue(key(kind), QFileInfo(chosenPath).absolutePath());
}

}  // namespace dashcard
