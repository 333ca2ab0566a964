#pragma once

#include <QCache>
#include <QDateTime>
#include <QPixmap>
#include <QString>

namespace dashcard {

// The thumbnail of a row: the picture at the given path, scaled to the row,
// or a null pixmap for no path or an unreadable file. Decoded pictures are
// kept in a small cache so that scrolling does not decode them again.
class ImageTransformer {
 public:
  static QPixmap transformedValue(const QString& path, const QSize& size = {});
  static void clearCache();
};

}  // namespace dashcard
