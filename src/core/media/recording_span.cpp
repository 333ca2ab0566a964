#include "core/media/recording_span.h"

#include "core/media/clip_health.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace dashcard {
namespace {

QDateTime startOf(const DCFInfoPtr& info) { return info ? info->startDate() : QDateTime(); }

// Each recording with its end: from its length when known, else assumed.
std::vector<std::pair<DCFInfoPtr, QDateTime>> withEnds(const DCFInfoList& all) {
  DCFInfoList sorted;
  for (const DCFInfoPtr& info : all) {
    if (info && info->startDate().isValid()) sorted.append(info);
  }
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const DCFInfoPtr& a, const DCFInfoPtr& b) { return a->startDate() < b->startDate(); });
  std::vector<std::pair<DCFInfoPtr, QDateTime>> result;
  result.reserve(static_cast<std::size_t>(sorted.size()));
  for (qsizetype i = 0; i < sorted.size(); ++i) {
    const DCFInfoPtr& info = sorted.at(i);
    const QDateTime start = info->startDate();
    double seconds = info->duration();
    if (seconds <= 0.0) {
      seconds = RecordingSpan::kAssumedClipSeconds;
      for (qsizetype j = i + 1; j < sorted.size(); ++j) {
        const double gap = start.msecsTo(sorted.at(j)->startDate()) / 1000.0;
        if (gap > 0.0) {
          seconds = std::min(seconds, gap);
          break;
        }
      }
    }
    result.emplace_back(info, start.addMSecs(static_cast<qint64>(seconds * 1000.0)));
  }
  return result;
}

}  // namespace

DCFInfoList RecordingSpan::recordingsInSpan(const DCFInfoList& all, const QDateTime& from, const QDateTime& to) {
  DCFInfoList result;
  if (!from.isValid() || !to.isValid() || to < from) return result;
  for (const auto& [info, end] : withEnds(all)) {
    if (end > from && info->startDate() < to) result.append(info);
  }
  return result;
}

std::pair<QDateTime, QDateTime> RecordingSpan::spanOf(const DCFInfoList& recordings) {
  QDateTime first;
  QDateTime last;
  for (const auto& [info, end] : withEnds(recordings)) {
    if (!first.isValid() || info->startDate() < first) first = info->startDate();
    if (!last.isValid() || end > last) last = end;
  }
  return {first, last};
}

void RecordingSpan::learnLengths(const DCFInfoList& all, const QDateTime& from, const QDateTime& to,
                                 qint64 lookBackSeconds) {
  if (!from.isValid() || !to.isValid() || to < from) return;
  const QDateTime earliest = from.addSecs(-lookBackSeconds);
  for (const DCFInfoPtr& info : all) {
    const QDateTime start = startOf(info);
    if (!start.isValid() || start > to || start < earliest || info->duration() > 0.0) continue;
    if (const auto seconds = ClipHealth::lengthSeconds(info->filePath())) {
      info->setDuration(*seconds);
    } else if (!QFileInfo(info->filePath()).isFile()) {
      info->setDuration(0.001);
    }
    // A damaged video keeps its place in time (until the next recording
    // starts), so that an export sees and tells its gap.
  }
}

DCFInfoList RecordingSpan::readRecordingsInSpan(const DCFInfoList& all, const QDateTime& from, const QDateTime& to) {
  learnLengths(all, from, to);
  return recordingsInSpan(all, from, to);
}

}  // namespace dashcard
