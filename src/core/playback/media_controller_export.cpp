// MediaController: the KML/KMZ export and the backup with their task sheet.
#include "core/common/path_text.h"
#include "core/export/dcf_async_kml_builder.h"
#include "core/media/dcf_async_parser.h"
#include "core/media/incident_export.h"
#include "core/playback/media_controller.h"

#include <QPointer>

#include <algorithm>

namespace dashcard {

void MediaController::exportSelectedInfos(const DCFInfoList& infos, const QString& targetFilePath,
                                          RecordingListPane* progressVCParentControll) {
  // The export parses every recording itself; the walk would only compete.
  beginTaskSheet(progressVCParentControll, false);
  QPointer<MediaController> self(this);

  auto builder = DCFAsyncKMLBuilder::create();
  currentKmlBuilder_ = builder;
  std::weak_ptr<DCFAsyncKMLBuilder> weakBuilder = builder;
  // Reports of a builder whose sheet was closed (or replaced) are dropped.
  const auto liveSheet = [self, weakBuilder]() -> ProgressSheet* {
    const auto builder = weakBuilder.lock();
    if (!self || !builder || builder != self->currentKmlBuilder_ || builder->cancelFlag()) {
      return nullptr;
    }
    return self->currentProgressVC_;
  };
  builder->kmlBuildAsync(
      infos, targetFilePath,
      [liveSheet](const DCFInfoPtr& info, float progress) {
        if (ProgressSheet* current = liveSheet()) {
          current->setProgress(progress);
          current->setInfoLabelText(path_text::lastPathComponent(info->filePath()));
        }
      },
      [liveSheet](const std::optional<QString>& error) {
        if (ProgressSheet* current = liveSheet()) {
          current->setSucceeded(!error);
          current->setProgress(1.0f);
          current->setInfoLabelText(error ? tr("An error occurred when writing data") : tr("KML/KMZ export is complete"));
        }
      });
}

void MediaController::backUpSelectedInfos(const QList<BackUpItem>& items, const QString& targetRootDirPath,
                                          RecordingListPane* progressVCParentControll) {
  beginTaskSheet(progressVCParentControll, true);
  QPointer<MediaController> self(this);

  auto backUp = DCFAsyncBackUp::create();
  currentBackUp_ = backUp;
  std::weak_ptr<DCFAsyncBackUp> weakBackUp = backUp;
  const auto liveSheet = [self, weakBackUp]() -> ProgressSheet* {
    const auto backUp = weakBackUp.lock();
    if (!self || !backUp || backUp != self->currentBackUp_ || backUp->cancelFlag()) {
      return nullptr;
    }
    return self->currentProgressVC_;
  };
  backUp->backUpAsync(
      items, targetRootDirPath,
      [liveSheet](const QString& path, float progress) {
        if (ProgressSheet* current = liveSheet()) {
          current->setProgress(progress);
          current->setInfoLabelText(path_text::lastPathComponent(path));
        }
      },
      [liveSheet](const QString&, float progress) {
        if (ProgressSheet* current = liveSheet()) {
          current->setProgress(progress);
        }
      },
      [liveSheet](const std::optional<QString>& error) {
        if (ProgressSheet* current = liveSheet()) {
          current->setSucceeded(!error);
          current->setProgress(1.0f);
          current->setInfoLabelText(error ? tr("An error occurred during backup") : tr("Backup is complete"));
        }
      });
}

void MediaController::exportIncidentVideo(const IncidentExportRequest& request,
                                          RecordingListPane* progressVCParentControll,
                                          std::function<void(bool succeeded)> didFinish) {
  beginTaskSheet(progressVCParentControll, false);
  QPointer<MediaController> self(this);

  auto exporter = IncidentExporter::create();
  currentIncidentExporter_ = exporter;
  auto live = std::make_shared<bool>(true);
  incidentSheetLive_ = live;
  const auto liveSheet = [self, live]() -> ProgressSheet* { return self && *live ? self->currentProgressVC_ : nullptr; };
  if (ProgressSheet* sheet = liveSheet()) sheet->setInfoLabelText(path_text::lastPathComponent(request.targetFilePath));
  exporter->exportAsync(
      request,
      [liveSheet](double progress) {
        // The sheet's button reads "Finish" only once the end is reported.
        if (ProgressSheet* current = liveSheet()) current->setProgress(static_cast<float>(std::min(progress, 0.999)));
      },
      [liveSheet, live, didFinish = std::move(didFinish)](const std::optional<QString>& error) {
        ProgressSheet* current = liveSheet();
        // The one end of this run: nothing after it reaches the sheet.
        *live = false;
        if (current) {
          current->setSucceeded(!error);
          current->setProgress(1.0f);
          current->setInfoLabelText(error ? tr("The video could not be exported: %1").arg(*error)
                                          : tr("Video export is complete"));
        }
        if (didFinish) didFinish(!error);
      });
}

QString MediaController::backUpTargetProblem(const QString& targetRootDirPath) {
  return DCFAsyncBackUp::targetProblem(targetRootDirPath);
}

void MediaController::beginTaskSheet(RecordingListPane* parent, bool forBackUp) {
  // A long task owns the card until its sheet closes: no walk, no reload.
  if (currentParser_) {
    currentParser_->setCancelFlag(true);
  }
  setCanReloadMedia(false);
  QPointer<MediaController> self(this);
  ProgressSheet* sheet = parent != nullptr ? parent->presentProgressSheet() : nullptr;
  if (sheet != nullptr) {
    sheet->setCloseClickBlock([self, forBackUp](ProgressSheet* closed) {
      if (self) {
        self->closeTaskSheet(closed, forBackUp);
      }
    });
    sheet->setInfoLabelText(QString());
  }
  currentProgressVC_ = sheet;
}

void MediaController::closeTaskSheet(ProgressSheet* sheet, bool forBackUp) {
  // Cancelling a task that has ended does nothing.
  if (forBackUp && currentBackUp_) {
    currentBackUp_->setCancelFlag(true);
  }
  if (!forBackUp && currentKmlBuilder_) {
    currentKmlBuilder_->setCancelFlag(true);
  }
  if (!forBackUp && currentIncidentExporter_) {
    currentIncidentExporter_->cancel();
    if (incidentSheetLive_) *incidentSheetLive_ = false;
  }
  if (currentProgressVC_ == sheet) {
    currentProgressVC_ = nullptr;
  }
  if (sheet != nullptr) {
    sheet->dismiss();
  }
  setCanReloadMedia(true);
  if (!mediaTree_.isEmpty()) {
    reparseAtIndex(std::max<qsizetype>(0, mediaTree_.indexOf(currentDCF_)));
  }
}

}  // namespace dashcard
