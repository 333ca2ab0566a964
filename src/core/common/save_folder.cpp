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
  }
  return {};
}

}  // namespace

QString saveFolder(SaveKind kind) {
  const QString last = QSettings().value(key(kind)).toString();
  if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
  const QString standard = QStandardPaths::writableLocation(
      kind == SaveKind::Capture ? QStandardPaths::PicturesLocation : QStandardPaths::DocumentsLocation);
  return !standard.isEmpty() && QFileInfo(standard).isDir() ? standard : QDir::homePath();
}

void rememberSaveFolder(SaveKind kind, const QString& chosenPath) {
  if (chosenPath.isEmpty()) return;
  QSettings().setValue(key(kind), QFileInfo(chosenPath).absolutePath());
}

QString realPathOf(const QString& path) {
  // In a working folder deeper than the system's path limit there is no
  // absolute name to be had; the relative one still works.
  // Not cleaned first: ".." after a link leaves from where the link points.
  const QString current = QDir::isAbsolutePath(path) ? QString() : QDir::currentPath();
  const QString absolute = current.isEmpty() ? path : current + QLatin1Char('/') + path;
  QString existing = absolute;
  QStringList rest;
  for (;;) {
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    if (!canonical.isEmpty()) {
      rest.prepend(canonical);
      return QDir::cleanPath(rest.join(QLatin1Char('/')));
    }
    const qsizetype slash = existing.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || existing == QLatin1String("/")) {
      return QDir::cleanPath(absolute);
    }
    rest.prepend(existing.mid(slash + 1));
    existing = slash == 0 ? QStringLiteral("/") : existing.left(slash);
  }
}

bool isInsideFolder(const QString& path, const QString& folder) {
  if (folder == QLatin1String("/")) {
    return true;
  }
  return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

bool isOutputOnCard(const QString& output, const QString& cardRoot) {
  return !output.isEmpty() && !cardRoot.isEmpty() && isInsideFolder(realPathOf(output), realPathOf(cardRoot));
}

}  // namespace dashcard
