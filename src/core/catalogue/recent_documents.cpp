#include "core/catalogue/recent_documents.h"

#include <QDir>
#include <QSettings>

namespace dashcard {
namespace {

const QString kKey = QStringLiteral("RecentDocumentPaths");

}  // namespace

void RecentDocuments::noteNewRecentDocumentPath(const QString& path) {
  if (path.isEmpty()) {
    return;
  }
  const QString clean = QDir::cleanPath(path);
  QSettings settings;
  QStringList paths = settings.value(kKey).toStringList();
  paths.removeAll(clean);
  paths.prepend(clean);
  while (paths.size() > kMaximumCount) {
    paths.removeLast();
  }
  settings.setValue(kKey, paths);
}

QStringList RecentDocuments::recentDocumentPaths() {
  return QSettings().value(kKey).toStringList();
}

void RecentDocuments::clearRecentDocuments() { QSettings().remove(kKey); }

}  // namespace dashcard
