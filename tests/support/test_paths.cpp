#include "support/test_paths.h"

#include <QDir>
#include <QFileInfo>

namespace dashcard::test {

QString nmeaCorpusDir() {
  const QString source = qEnvironmentVariable("DASHCARD_SOURCE_DIR");
  if (source.isEmpty()) {
    return {};
  }
  const QString dir = QDir(source).absoluteFilePath(QStringLiteral("../shared/corpus/nmea"));
  return QFileInfo(dir).isDir() ? QDir(dir).canonicalPath() : QString();
}

QString cliPath() { return qEnvironmentVariable("DASHCARD_CLI"); }

}  // namespace dashcard::test
