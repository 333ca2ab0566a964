#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/common/parallel_chunks.h"
#include "core/media/clip_health.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <vector>

namespace dashcard::cli {

int runCheckCommand(const QStringList& arguments) {
  CommandArguments command(QStringLiteral("check"), QStringLiteral("CARD [--json]"),
                           QStringLiteral("Looks at every video of a card and lists the damaged ones: empty, without\n"
                                          "an index (cut by a power loss), cut short (with the seconds that play) or\n"
                                          "unreadable. Reads box headers only; changes nothing.\n"
                                          "Exit code 0 when every video is healthy, 1 when one is damaged."));
  const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the result as one JSON object."));
  command.parser.addOption(json);
  command.parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Card root folder."));
  const QString root = QDir::cleanPath(
      QFileInfo(command.parse(arguments, 1, 1, QStringLiteral("needs exactly one CARD")).at(0)).absoluteFilePath());
  const CardScanner::Result card = command.scanCard(root);

  QStringList videos;
  for (const DCFInfoPtr& info : card.recordings) {
    videos.append(info->filePath());
    if (!info->secondaryFilePath().isEmpty()) videos.append(info->secondaryFilePath());
  }
  std::vector<ClipHealth> health(static_cast<size_t>(videos.size()));
  forEachInParallel(health.size(), 64, [&](size_t i) { health[i] = ClipHealth::inspect(videos.at(qsizetype(i))); });

  QJsonArray damaged;
  QString lines;
  for (size_t i = 0; i < health.size(); ++i) {
    const ClipHealth& h = health[i];
    if (h.healthy()) continue;
    const QString& path = videos.at(qsizetype(i));
    damaged.append(QJsonObject{{QStringLiteral("path"), path},
                               {QStringLiteral("damage"), QString::fromLatin1(ClipHealth::damageName(h.damage))},
                               {QStringLiteral("playableSeconds"), jsonNumber(h.playableSeconds)},
                               {QStringLiteral("rebuildable"), h.rebuildable()},
                               {QStringLiteral("reason"), h.reason}});
    lines += QStringLiteral("  %1  %2  playable=%3s  %4\n")
                 .arg(QDir::toNativeSeparators(path), QString::fromLatin1(ClipHealth::damageName(h.damage)))
                 .arg(h.playableSeconds, 0, 'f', 1)
                 .arg(h.reason);
  }
  if (command.parser.isSet(json)) {
    printJson(QJsonObject{{QStringLiteral("rootPath"), root},
                          {QStringLiteral("videos"), jsonNumber(double(videos.size()))},
                          {QStringLiteral("damaged"), damaged}});
  } else {
    printOut(QStringLiteral("%1 videos, %2 damaged\n").arg(videos.size()).arg(damaged.size()) + lines);
  }
  return damaged.isEmpty() ? kExitOk : kExitFailed;
}

}  // namespace dashcard::cli
