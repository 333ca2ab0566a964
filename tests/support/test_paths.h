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
// The same in `workingDirectory`, with `environment` entries ("NAME=value")
// replacing those of this process.
CliResult runCliIn(const QString& workingDirectory, const QStringList& arguments,
                   const QStringList& environment = {});
// The same as a user without privileges: as root, in a child process with
// the user and group ids of "nobody", so that file permissions hold for it.
// Files it is to read must be readable by others.
CliResult runCliWithoutPrivileges(const QStringList& arguments, const QStringList& environment = {});

}  // namespace dashcard::test
