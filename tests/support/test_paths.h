#pragma once

#include <QString>
#include <QStringList>

namespace dashcard::test {

// The project's source folder.
QString sourceDir();

// Folder of real receiver logs shared with the project, or empty when this
// checkout has none beside it (tests that need it skip then).
QString nmeaCorpusDir();

// The dashcard-cli binary of this build.
QString cliPath();

struct CliResult {
  int exitCode = -1;
  QString out;
  QString err;
};
// Runs dashcard-cli with `arguments` and waits for it; exit code -1 when it
// did not start, crashed or took over two minutes.
CliResult runCli(const QStringList& arguments);

}  // namespace dashcard::test
