#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/common/path_text.h"
#include "core/export/dcf_async_back_up.h"

#include <QFileInfo>

namespace dashcard::cli {

int runBackupCommand(const QStringList& arguments) {
  CommandArguments command(QStringLiteral("backup"), QStringLiteral("CARD TARGET [RECORDING...]"),
                           QStringLiteral("Copies recordings (front and rear video, telemetry file) into TARGET with\n"
                                          "the card's folder layout. Nothing is overwritten; on failure the partial\n"
                                          "copy is removed."));
  command.parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Root folder of the card."));
  command.parser.addPositionalArgument(QStringLiteral("TARGET"),
                                       QStringLiteral("New (or empty) folder for the backup."));
  command.parser.addPositionalArgument(QStringLiteral("RECORDING"),
                                       QStringLiteral("Relative path or file name of a front video; none: all."),
                                       QStringLiteral("[RECORDING...]"));
  command.addProgressOption();
  const QStringList positional = command.parse(arguments, 2, kMany, QStringLiteral("needs CARD and TARGET"));
  const QString target = QFileInfo(positional.at(1)).absoluteFilePath();
  if (const QString problem = DCFAsyncBackUp::targetProblem(target); !problem.isEmpty()) {
    command.refuse(problem);
  }
  const CardScanner::Result scan = command.scanCard(positional.at(0));
  QList<BackUpItem> items;
  for (const QString& wanted : positional.mid(2)) {
    items << command.recording(scan.recordings, wanted);
  }
  if (positional.size() == 2) {
    for (const DCFInfoPtr& info : scan.recordings) {
      items << info;
    }
  }
  if (items.isEmpty()) {
    command.fail(QStringLiteral("the card holds no recordings; nothing copied."));
  }
  const quint64 required = DCFAsyncBackUp::requiredBytes(items);
  const qint64 available = DCFAsyncBackUp::freeBytesAt(target);
  if (!DCFAsyncBackUp::fitsFreeSpace(available, required)) {
    command.fail(available < 0 ? QStringLiteral("the free space of %1 could not be read.").arg(target)
                               : QStringLiteral("not enough free space: %1 bytes needed, %2 available.")
                                     .arg(required + DCFAsyncBackUp::kFreeSpaceMargin)
                                     .arg(available));
  }

  auto job = DCFAsyncBackUp::create();
  const auto failure = runJob(QStringLiteral("Backing up"), [&](ProgressBar& bar, JobFinish finish) {
    const auto progress = [&bar](const QString& path, float done) {
      bar.update(done, path_text::lastPathComponent(path));
    };
    job->backUpAsync(items, target, progress, progress, std::move(finish));
  }, command.progressMode());
  if (failure) {
    command.fail(QStringLiteral("An error occurred during backup: %1").arg(*failure));
  }
  printOut(QStringLiteral("Backup is complete: %1 recordings to %2").arg(items.size()).arg(target));
  return kExitOk;
}

}  // namespace dashcard::cli
