#include "support/test_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

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
