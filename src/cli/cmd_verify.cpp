#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/export/backup_verifier.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace dashcard::cli {

int runVerifyCommand(const QStringList& arguments) {
  CommandArguments command(
      QStringLiteral("verify"), QStringLiteral("FOLDER"),
      QStringLiteral("Checks a backup (or any folder with a SHA256SUMS file): every listed file is hashed\n"
                     "again; changed, missing and unlisted files are named. Exit code 0 when all match,\n"
                     "1 when something differs."));
  command.parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("Folder holding SHA256SUMS."));
  const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the result as JSON."));
  command.parser.addOption(json);
  command.addProgressOption();
  const QString folder = command.parse(arguments, 1, 1, QStringLiteral("needs exactly one FOLDER")).first();
  if (!QFileInfo(folder).isDir()) {
    command.refuse(QStringLiteral("%1 is not a folder.").arg(folder));
  }

  auto job = BackupVerifier::create();
  const auto failure = runJob(QStringLiteral("Verifying"), [&](ProgressBar& bar, JobFinish finish) {
    job->verifyAsync(
        folder, [&bar](const QString& path, float done) { bar.update(done, path); }, std::move(finish));
  }, command.progressMode());
  if (failure) {
    command.refuse(*failure);  // nothing to check against
  }
  const VerifyReport& report = job->report();
  if (command.parser.isSet(json)) {
    QJsonArray findings;
    for (const VerifyFinding& finding : report.findings) {
      findings.append(QJsonObject{{QStringLiteral("kind"), BackupVerifier::kindName(finding.kind)},
                                  {QStringLiteral("path"), finding.relativePath},
                                  {QStringLiteral("detail"), finding.detail}});
    }
    printJson(QJsonObject{{QStringLiteral("folder"), QFileInfo(folder).absoluteFilePath()},
                          {QStringLiteral("listed"), report.listed},
                          {QStringLiteral("matched"), report.matched},
                          {QStringLiteral("allMatch"), report.allMatch()},
                          {QStringLiteral("findings"), findings}});
  } else {
    QString text;
    for (const VerifyFinding& finding : report.findings) {
      text += QStringLiteral("%1  %2  (%3)\n")
                  .arg(BackupVerifier::kindName(finding.kind).toUpper(), -10)
                  .arg(finding.relativePath, finding.detail);
    }
    text += report.allMatch()
                ? QStringLiteral("All %1 files match.").arg(report.matched)
                : QStringLiteral("%1 of %2 listed files match; %3 problems.")
                      .arg(report.matched)
                      .arg(report.listed)
                      .arg(report.findings.size());
    printOut(text);
  }
  return report.allMatch() ? kExitOk : kExitFailed;
}

}  // namespace dashcard::cli
