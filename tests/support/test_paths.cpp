#include "support/test_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <unistd.h>

namespace dashcard::test {

QString sourceDir() { return QStringLiteral(DASHCARD_TEST_SOURCE_DIR); }

QString nmeaCorpusDir() {
  // Beside the checkout, or beside the folder of a checkout's worktrees.
  const QDir source(QStringLiteral(DASHCARD_TEST_SOURCE_DIR));
  for (const QString relative : {QStringLiteral("../shared/corpus/nmea"), QStringLiteral("../../shared/corpus/nmea")}) {
    const QString dir = source.absoluteFilePath(relative);
    if (QFileInfo(dir).isDir()) {
      return QDir(dir).canonicalPath();
    }
  }
  return {};
}

QString cliPath() { return QStringLiteral(DASHCARD_TEST_CLI); }

namespace {

CliResult run(const QString& program, const QStringList& arguments, const QString& workingDirectory = {},
              const QStringList& environment = {}) {
  QProcess process;
  if (!workingDirectory.isEmpty()) {
    process.setWorkingDirectory(workingDirectory);
  }
  if (!environment.isEmpty()) {
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment) {
      variables.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    }
    process.setProcessEnvironment(variables);
  }
  process.start(program, arguments);
  if (!process.waitForStarted()) {
    return {-1, {}, process.errorString()};
  }
  const bool finished = process.waitForFinished(120000);
  return {finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace

CliResult runCli(const QStringList& arguments) { return run(cliPath(), arguments); }

CliResult runCliIn(const QString& workingDirectory, const QStringList& arguments, const QStringList& environment) {
  return run(cliPath(), arguments, workingDirectory, environment);
}

CliResult runCliWithoutPrivileges(const QStringList& arguments, const QStringList& environment) {
  if (::geteuid() != 0) {
    return run(cliPath(), arguments, {}, environment);
  }
  // setpriv (util-linux) drops every id before the program starts.
  return run(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                                    QStringLiteral("--clear-groups"), QStringLiteral("--"), cliPath()} +
                                            arguments,
             {}, environment);
}

}  // namespace dashcard::test
