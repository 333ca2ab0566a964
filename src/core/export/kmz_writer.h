#pragma once

#include <QByteArray>
#include <QString>

namespace dashcard {

// Packs a KML document into a KMZ archive.
class KmzWriter {
 public:
  KmzWriter() = delete;

  // The one entry of our archives.
  static inline const char* const kEntryName = "route.kml";

  // Stores `kml` as the entry "route.kml" of the archive at `archivePath`:
  // a new archive is created; an existing one gets the entry added or
  // replaced and keeps its other entries. The archive is replaced in one step
  // when complete. False with `errorText` when anything failed, including a
  // file at the path that is not an archive.
  static bool writeEntry(const QString& archivePath, const QByteArray& kml, QString* errorText = nullptr);
};

}  // namespace dashcard
