#include "core/media/span_video_sources.h"

#include "core/media/clip_health.h"

#include <QFileInfo>

namespace dashcard {

SpanVideoSources::SpanVideoSources(QHash<QString, QString> repairedCopies)
    : repairedCopies_(std::move(repairedCopies)) {}

QString SpanVideoSources::damage(const QString& video) {
  if (video.isEmpty() || repairedCopies_.contains(video)) return {};
  const auto known = damage_.constFind(video);
  if (known != damage_.constEnd()) return *known;
  const ClipHealth health = ClipHealth::inspect(video);
  const QString why =
      health.healthy() ? QString() : QStringLiteral("%1 (%2)").arg(QFileInfo(video).fileName(), health.reason);
  return *damage_.insert(video, why);
}

QString SpanVideoSources::damage(const QStringList& videos) {
  for (const QString& video : videos) {
    if (QString why = damage(video); !why.isEmpty()) return why;
  }
  return {};
}

QString SpanVideoSources::gapWarning(const QString& why, const QString& product) {
  return QStringLiteral("The video %1 is damaged and has no repaired copy: its time is a gap in the %2.")
      .arg(why, product);
}

void SpanVideoSources::learnCopyLengths(const DCFInfoList& recordings, bool rear) const {
  for (const DCFInfoPtr& info : recordings) {
    if (!info || info->duration() > 0.0) continue;
    const auto copy = repairedCopies_.constFind(rear ? info->secondaryFilePath() : info->filePath());
    if (copy != repairedCopies_.constEnd()) info->setDuration(ClipHealth::lengthSeconds(*copy).value_or(0.0));
  }
}

}  // namespace dashcard
