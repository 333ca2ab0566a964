#pragma once

#include <QByteArray>
#include <QString>

namespace dashcard {

// Writes `data` to `path` through a temporary file in the same folder that is
// renamed over the target once everything reached the disk, so the target is
// either the old file or the complete new one. Every short write, a full disk
// and a failed close count as failure; the temporary file is then removed.
// `errorText` (optional) gets a readable reason. `syncToDisk` waits until the
// data is on the disk before the rename (files on removable cards); without
// it the rename still never shows a partial file to readers.
bool writeFileAtomically(const QString& path, const QByteArray& data, QString* errorText = nullptr,
                         bool syncToDisk = true);

}  // namespace dashcard
