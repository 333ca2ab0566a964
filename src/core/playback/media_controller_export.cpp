// MediaController: the KML/KMZ export, the backup and the video export, each
// a job of the window's task runner.
#include "core/common/main_thread.h"
#include "core/common/path_text.h"
#include "core/common/save_folder.h"
#include "core/media/clip_health.h"
#include "core/media/clip_rebuilder.h"
#include "core/export/dcf_async_kml_builder.h"
#include "core/media/dcf_async_parser.h"
#include "core/media/incident_export.h"
#include "core/playback/media_controller.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <atomic>

namespace dashcard {

void MediaController::exportSelectedInfos(const DCFInfoList& infos, const QString& targetFilePath,
                                          RecordingListPane* progressVCParentControll) {
  auto builder = DCFAsyncKMLBuilder::create();
  TaskRunner::Job job;
  job.start = [builder, infos, targetFilePath](TaskRunner::Progress progress, TaskRunner::Finish finish) {
    builder->kmlBuildAsync(
        infos, targetFilePath,
        [progress](const DCFInfoPtr& info, float fraction) {
          progress(path_text::lastPathComponent(info->filePath()), fraction);
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
        [progress](const QString& path, float fraction) { progress(path_text::lastPathComponent(path), fraction); },
        [progress](const QString&, float fraction) { progress(QString(), fraction); }, finish);
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
  IncidentExportRequest withCopies = request;
  withCopies.repairedCopies.insert(repairedCopies_);
  TaskRunner::Job job;
  job.start = [exporter, request = std::move(withCopies)](TaskRunner::Progress progress, TaskRunner::Finish finish) {
    exporter->exportAsync(request, progress, finish);
  };
  job.cancel = [exporter] { exporter->setCancelFlag(true); };
  job.startText = path_text::lastPathComponent(request.targetFilePath);
  job.doneText = tr("Video export is complete");
  job.doneNote = [exporter] { return exporter->warnings().join(u'\n'); };
  job.failedText = [](const QString& error) { return tr("The video could not be exported: %1").arg(error); };
  tasks_.run(progressVCParentControll, then ? TaskRunner::chain(std::move(job), std::move(*then)) : std::move(job));
}

QString MediaController::repairTargetProblem(const QString& targetDirectory, const DCFInfoList& infos) {
  const QFileInfo target(targetDirectory);
  if (targetDirectory.isEmpty() || !target.isDir()) return tr("Choose a folder for the repaired copies.");
  if (!target.isWritable()) return tr("The folder “%1” cannot be written to.").arg(target.fileName());
  // Nothing is ever written to the card, the repaired copies included.
  for (const DCFInfoPtr& info : infos) {
    if (isOutputOnCard(targetDirectory, info->rootPath())) {
      return tr("The repaired copies cannot go on the card: choose a folder elsewhere.");
    }
  }
  return {};
}

void MediaController::repairRecordings(const DCFInfoList& infos, const QString& targetDirectory,
                                       RecordingListPane* progressVCParentControll,
                                       std::function<void(const RepairedCopies& repaired)> didFinish) {
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  QStringList videos;
  for (const DCFInfoPtr& info : infos) {
    for (const QString& video : {info->filePath(), info->secondaryFilePath()}) {
      if (!video.isEmpty() && !videos.contains(video)) videos << video;
    }
  }
  const QString problem = repairTargetProblem(targetDirectory, infos);
  TaskRunner::Job job;
  job.start = [cancel, videos, targetDirectory, problem, didFinish = std::move(didFinish)](
                  TaskRunner::Progress progress, TaskRunner::Finish finish) {
    if (!problem.isEmpty()) {
      finish(problem);
      return;
    }
    startBackgroundJob([cancel, videos, targetDirectory, progress, finish, didFinish] {
      RepairedCopies repaired;
      QStringList failures;
      for (qsizetype i = 0; i < videos.size() && !cancel->load(); ++i) {
        const QString& video = videos.at(i);
        const QString name = QFileInfo(video).fileName();
        const ClipHealth health = ClipHealth::inspect(video);
        if (health.healthy()) continue;
        if (!health.rebuildable()) {
          failures << QStringLiteral("%1: %2").arg(name, health.reason);
          continue;
        }
        const auto step = [&](double fraction) {
          const float done = static_cast<float>((double(i) + fraction) / double(videos.size()));
          runOnMainThread([&] { progress(name, done); }, *cancel);
        };
        const QString copy = QDir(targetDirectory).filePath(name);
        const ClipRebuilder::Result result = ClipRebuilder::rebuild(video, {}, copy, cancel.get(), step);
        if (result.ok) {
          repaired.append({video, copy});
        } else if (!result.cancelled) {
          failures << QStringLiteral("%1: %2").arg(name, result.error);
        }
      }
      if (cancel->load()) return;  // a cancelled task reports nothing
      runOnMainThreadAsync([repaired, failures, finish, didFinish] {
        if (repaired.isEmpty() && failures.isEmpty()) {
          finish(tr("None of the chosen recordings is damaged."));
          return;
        }
        if (failures.isEmpty()) {
          finish(std::nullopt);
        } else {
          finish(tr("Not everything could be repaired:\n%1").arg(failures.join(u'\n')));
        }
        if (didFinish && !repaired.isEmpty()) didFinish(repaired);
      });
    });
  };
  job.cancel = [cancel] { cancel->store(true); };
  job.doneText = tr("Repair is complete");
  tasks_.run(progressVCParentControll, std::move(job));
}

void MediaController::useRepairedCopy(const QString& damagedPath, const QString& copy) {
  if (damagedPath.isEmpty() || copy.isEmpty()) return;
  repairedCopies_.insert(damagedPath, copy);
  // The recording on show switches to its copy at once.
  const DCFInfoPtr current = catalogue_.currentDCF();
  if (current && !catalogue_.currentPicture() &&
      (current->filePath() == damagedPath || current->secondaryFilePath() == damagedPath)) {
    loadCurrentDCFIntoPlayers(current);
  }
}

QString MediaController::backUpTargetProblem(const QString& targetRootDirPath) {
  return DCFAsyncBackUp::targetProblem(targetRootDirPath);
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
