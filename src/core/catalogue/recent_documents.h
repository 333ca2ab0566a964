#pragma once

#include <QString>
#include <QStringList>

namespace dashcard {

// The list of recently opened cards, newest first, kept in the user's
// settings so it survives restarts.
class RecentDocuments {
 public:
  static constexpr int kMaximumCount = 10;

  RecentDocuments() = delete;

  // Puts `path` at the front (moving it when already listed).
  static void noteNewRecentDocumentPath(const QString& path);
  static QStringList recentDocumentPaths();
  static void clearRecentDocuments();
};

}  // namespace dashcard
