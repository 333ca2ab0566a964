#include "core/export/kmz_writer.h"

#include <QFile>

#include <zip.h>

namespace dashcard {
namespace {

bool fail(QString* errorText, const QString& archivePath, const QString& reason) {
  if (errorText != nullptr) {
    *errorText = QStringLiteral("Cannot write %1: %2").arg(archivePath, reason);
  }
  return false;
}

}  // namespace

bool KmzWriter::writeEntry(const QString& archivePath, const QByteArray& kml, QString* errorText) {
  const QByteArray path = QFile::encodeName(archivePath);
  int openError = 0;
  zip_t* archive = zip_open(path.constData(), ZIP_CREATE, &openError);
  if (archive == nullptr) {
    zip_error_t error;
    zip_error_init_with_code(&error, openError);
    const QString reason = QString::fromLocal8Bit(zip_error_strerror(&error));
    zip_error_fini(&error);
    return fail(errorText, archivePath, reason);
  }
  // The buffer must outlive zip_close, which is where libzip reads it.
  zip_source_t* source = zip_source_buffer(archive, kml.constData(), static_cast<zip_uint64_t>(kml.size()), 0);
  if (source == nullptr) {
    const QString reason = QString::fromLocal8Bit(zip_strerror(archive));
    zip_discard(archive);
    return fail(errorText, archivePath, reason);
  }
  if (zip_file_add(archive, kEntryName, source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
    const QString reason = QString::fromLocal8Bit(zip_strerror(archive));
    zip_source_free(source);
    zip_discard(archive);
    return fail(errorText, archivePath, reason);
  }
  if (zip_close(archive) != 0) {
    const QString reason = QString::fromLocal8Bit(zip_strerror(archive));
    zip_discard(archive);
    return fail(errorText, archivePath, reason);
  }
  return true;
}

}  // namespace dashcard
