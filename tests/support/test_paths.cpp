#include "support/test_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace dashcard::test {

QString sourceDir() { return QStringLiteral(DASHCARD_TEST_SOURCE_DIR); }

QString nmeaCorpusDir() {
  const QString source = QStringLiteral(DASHCARD_TEST_SOURCE_DIR);
  const QString dir = QDir(source).absoluteFilePath(QStringLiteral("../shared/corpus/nmea"));
  return QFileInfo(dir).isDir() ? QDir(dir).canonicalPath() : QString();
}

QString cliPath() { return QStringLiteral(DASHCARD_TEST_CLI); }

CliResult runCli(const QStringList& arguments) {
  QProcess process;
  process.start(cliPath(), arguments);
  if (!process.waitForStarted()) {
    return {-1, {}, process.errorString()};
  }
  const bool finished = process.waitForFinished(120000);
  return {finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace dashcard::test
