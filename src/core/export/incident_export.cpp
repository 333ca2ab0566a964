#include "core/export/incident_export.h"

#include "core/common/main_thread.h"

#include <algorithm>

namespace dashcard {

std::shared_ptr<IncidentExporter> IncidentExporter::create() {
  return std::shared_ptr<IncidentExporter>(new IncidentExporter());
}

DCFInfoList IncidentExporter::recordingsInSpan(const DCFInfoList& all, const QDateTime& from, const QDateTime& to) {
  DCFInfoList result;
  if (!from.isValid() || !to.isValid() || to < from) return result;
  for (const DCFInfoPtr& info : all) {
    if (!info || !info->startDate().isValid()) continue;
    const QDateTime start = info->startDate();
    const QDateTime end = start.addMSecs(static_cast<qint64>(info->duration() * 1000.0));
    if (end > from && start < to) result.append(info);
  }
  std::stable_sort(result.begin(), result.end(),
                   [](const DCFInfoPtr& a, const DCFInfoPtr& b) { return a->startDate() < b->startDate(); });
  return result;
}

std::pair<QDateTime, QDateTime> IncidentExporter::spanOf(const DCFInfoList& recordings) {
  QDateTime first;
  QDateTime last;
  for (const DCFInfoPtr& info : recordings) {
    if (!info || !info->startDate().isValid()) continue;
    const QDateTime start = info->startDate();
    const QDateTime end = start.addMSecs(static_cast<qint64>(info->duration() * 1000.0));
    if (!first.isValid() || start < first) first = start;
    if (!last.isValid() || end > last) last = end;
  }
  return {first, last};
}

void IncidentExporter::exportAsync(IncidentExportRequest request, ProgressBlock progress, DidFinishBlock didFinish) {
  // Not written yet: refuse, but still finish once.
  Q_UNUSED(request);
  Q_UNUSED(progress);
  runOnMainThreadAsync([didFinish] {
    if (didFinish) didFinish(QStringLiteral("Video export is not available yet."));
  });
}

}  // namespace dashcard
