#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/catalogue/card_scanner.h"
#include "core/common/path_text.h"
#include "core/export/dcf_async_back_up.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

namespace dashcard::cli {
namespace {

int runBackup(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Root folder of the card."));
  parser.addPositionalArgument(QStringLiteral("TARGET"), QStringLiteral("New (or empty) folder for the backup."));
  parser.addPositionalArgument(QStringLiteral("RECORDING"),
                               QStringLiteral("Relative path or file name of a front video; none: all."),
                               QStringLiteral("[RECORDING...]"));
  int exitCode = kExitOk;
  if (!parseArguments(parser, arguments, QStringLiteral("dashcard-cli backup CARD TARGET [RECORDING...]"),
                      QStringLiteral("Copies recordings (front and rear video, telemetry file) into TARGET with\n"
                                     "the card's folder layout. Nothing is overwritten; on failure the partial\n"
                                     "copy is removed."),
                      &exitCode)) {
    return exitCode;
  }
  const QStringList positional = parser.positionalArguments();
  if (positional.size() < 2) {
    printError(QStringLiteral("backup needs CARD and TARGET. Try 'dashcard-cli backup --help'."));
    return kExitUsage;
  }
  const QString root = positional.at(0);
  const QString target = QFileInfo(positional.at(1)).absoluteFilePath();
  if (!QFileInfo(root).isDir()) {
    printError(QStringLiteral("backup: %1 is not a folder.").arg(root));
    return kExitUsage;
  }
  if (const QString problem = DCFAsyncBackUp::targetProblem(target); !problem.isEmpty()) {
    printError(QStringLiteral("backup: %1").arg(problem));
    return kExitUsage;
  }
  const CardScanner::Result scan = CardScanner().scan(root);
  if (!scan.scanned) {
    printError(QStringLiteral("backup: %1 does not look like a camera card.").arg(root));
    return kExitUsage;
  }

  QList<BackUpItem> items;
  if (positional.size() == 2) {
    for (const DCFInfoPtr& info : scan.recordings) {
      items << info;
    }
  }
  for (const QString& wanted : positional.mid(2)) {
    const QString clean = QDir::cleanPath(wanted);
    DCFInfoPtr found;
    for (const DCFInfoPtr& info : scan.recordings) {
      if (info->deltaPath() == clean || path_text::lastPathComponent(info->deltaPath()) == clean) {
        found = info;
        break;
      }
    }
    if (!found) {
      printError(QStringLiteral("backup: no recording '%1' on the card.").arg(wanted));
      return kExitUsage;
    }
    items << found;
  }
  if (items.isEmpty()) {
    printError(QStringLiteral("backup: the card holds no recordings; nothing copied."));
    return kExitFailed;
  }
  const quint64 required = DCFAsyncBackUp::requiredBytes(items);
  const qint64 available = DCFAsyncBackUp::freeBytesAt(target);
  if (!DCFAsyncBackUp::fitsFreeSpace(available, required)) {
    printError(available < 0 ? QStringLiteral("backup: the free space of %1 could not be read.").arg(target)
                             : QStringLiteral("backup: not enough free space: %1 bytes needed, %2 available.")
                                   .arg(required + DCFAsyncBackUp::kFreeSpaceMargin)
                                   .arg(available));
    return kExitFailed;
  }

  ProgressBar bar(QStringLiteral("Backing up"));
  QEventLoop loop;
  std::optional<QString> failure;
  auto job = DCFAsyncBackUp::create();
  job->backUpAsync(
      items, target,
      [&bar](const QString& path, float progress) { bar.update(progress, path_text::lastPathComponent(path)); },
      [&bar](const QString& path, float progress) { bar.update(progress, path_text::lastPathComponent(path)); },
      [&](const std::optional<QString>& error) {
        failure = error;
        loop.quit();
      });
  loop.exec();
  bar.finish();
  if (failure) {
    printError(QStringLiteral("backup: An error occurred during backup: %1").arg(*failure));
    return kExitFailed;
  }
  printOut(QStringLiteral("Backup is complete: %1 recordings to %2").arg(items.size()).arg(target));
  return kExitOk;
}

}  // namespace

int runBackupCommand(const QStringList& arguments) { return runBackup(arguments); }

}  // namespace dashcard::cli
