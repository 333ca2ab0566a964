// MediaController: the KML/KMZ export, the backup and the video export, each
// a job of the window's task runner.
#include "core/common/path_text.h"
#include "core/export/dcf_async_kml_builder.h"
#include "core/media/dcf_async_parser.h"
#include "core/media/incident_export.h"
#include "core/playback/media_controller.h"

#include <algorithm>

namespace dashcard {

void MediaController::exportSelectedInfos(const DCFInfoList& infos, const QString& targetFilePath,
                                          RecordingListPane* progressVCParentControll) {
  auto builder = DCFAsyncKMLBuilder::create();
  TaskRunner::Job job;
  job.start = [builder, infos, targetFilePath](TaskRunner::Progress progress, TaskRunner::Finish finish) {
    builder->kmlBuildAsync(
        infos, targetFilePath,
        [progress](const DCFInfoPtr& info, float fraction) {
          progress(fraction, path_text::lastPathComponent(info->filePath()));
        },
        finish);
  };
  job.cancel = [builder] { builder->setCancelFlag(true); };
  job.doneText = tr("KML/KMZ export is complete");
  job.failedText = [](const QString&) { return tr("An error occurred when writing data"); };
  tasks_.run(progressVCParentControll, std::move(job));
}

void MediaController::backUpSelectedInfos(const QList<BackUpItem>& items, const QString& targetRootDirPath,
                                          RecordingListPane* progressVCParentControll) {
  auto backUp = DCFAsyncBackUp::create();
  TaskRunner::Job job;
  job.start = [backUp, items, targetRootDirPath](TaskRunner::Progress progress, TaskRunner::Finish finish) {
    backUp->backUpAsync(
        items, targetRootDirPath,
        [progress](const QString& path, float fraction) { progress(fraction, path_text::lastPathComponent(path)); },
        [progress](const QString&, float fraction) { progress(fraction, QString()); }, finish);
  };
  job.cancel = [backUp] { backUp->setCancelFlag(true); };
  job.doneText = tr("Backup is complete");
  job.failedText = [](const QString&) { return tr("An error occurred during backup"); };
  tasks_.run(progressVCParentControll, std::move(job));
}

void MediaController::exportIncidentVideo(const IncidentExportRequest& request,
                                          RecordingListPane* progressVCParentControll,
                                          std::optional<TaskRunner::Job> then) {
  auto exporter = IncidentExporter::create();
  TaskRunner::Job job;
  job.start = [exporter, request](TaskRunner::Progress progress, TaskRunner::Finish finish) {
    exporter->exportAsync(
        request, [progress](double fraction) { progress(static_cast<float>(fraction), QString()); }, finish);
  };
  job.cancel = [exporter] { exporter->cancel(); };
  job.startText = path_text::lastPathComponent(request.targetFilePath);
  job.doneText = tr("Video export is complete");
  job.failedText = [](const QString& error) { return tr("The video could not be exported: %1").arg(error); };
  tasks_.run(progressVCParentControll, then ? TaskRunner::chain(std::move(job), std::move(*then)) : std::move(job));
}

void MediaController::tasksBusyChanged(bool busy) {
  // A long task owns the card until its sheet closes: no walk, no reload.
  if (busy) {
    if (currentParser_) currentParser_->setCancelFlag(true);
    catalogue_.setCanReloadMedia(false);
    return;
  }
  catalogue_.setCanReloadMedia(true);
  reparseFromCurrent();
}

}  // namespace dashcard
