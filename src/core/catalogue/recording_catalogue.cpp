#include "core/catalogue/recording_catalogue.h"

#include "core/catalogue/card_scanner.h"
#include "core/catalogue/recent_documents.h"
#include "core/common/main_thread.h"
#include "core/common/progress_report_manager.h"

#include <QPointer>

#include <algorithm>
#include <utility>

namespace dashcard {

RecordingCatalogue::RecordingCatalogue(QObject* parent) : QObject(parent) {}

RecordingCatalogue::~RecordingCatalogue() { scanCancel_->store(true); }

void RecordingCatalogue::mediaTreeAsyncAtRootPath(const QString& rootPath, ProgressHandler progressHandler,
                                                  CompletionHandler completionHandler) {
  ProgressHandler progress = progressHandler ? std::move(progressHandler) : ProgressHandler([](int, int) {});
  CompletionHandler completion =
      completionHandler ? std::move(completionHandler) : CompletionHandler([](bool) {});
  if (!canReloadMedia_) {
    completion(false);
  }
  progress(0, 0);
  if (!CardScanner::mediaIsRynd(rootPath)) {
    completion(true);
    return;
  }
  QPointer<RecordingCatalogue> weak(this);
  std::shared_ptr<std::atomic<bool>> cancel = scanCancel_;
  startBackgroundJob([weak, cancel, rootPath, progress, completion] {
    std::uint64_t total = 0;
    ProgressReportManager reporter;
    reporter.progressReeport([&total, progress](unsigned long long value) {
      int percentage = ProgressReportManager::percentageWithNow(value, total);
      if (percentage < 0) {
        percentage = 100;
      }
      runOnMainThreadAsync([progress, percentage] { progress(1, percentage); });
    });
    CardScanner scanner;
    scanner.setCancelFlag(cancel.get());
    CardScanner::Result result =
        scanner.scan(rootPath, [&](std::uint64_t processed, std::uint64_t all, bool force) {
          total = all;
          if (force) {
            reporter.forceReport(processed);
          } else {
            reporter.report(processed);
          }
        });
    runOnMainThreadAsync([weak, cancel, rootPath, progress, completion, result = std::move(result)] {
      progress(3, 100);
      if (weak && !cancel->load()) {
        weak->setMediaInfoWithRootPath(rootPath, result.recordings, result.pictures);
      }
      completion(true);
    });
  });
}

bool RecordingCatalogue::mediaTreeSyncAtRootPath(const std::optional<QString>& rootPath) {
  if (!canReloadMedia_) {
    return false;
  }
  if (rootPath && !rootPath->isEmpty()) {
    const CardScanner::Result result = CardScanner().scan(*rootPath);
    if (result.scanned) {
      setMediaInfoWithRootPath(*rootPath, result.recordings, result.pictures);
    }
    return true;
  }
  setMediaInfoWithRootPath(QString(), {}, {});
  return true;
}

void RecordingCatalogue::setMediaInfoWithRootPath(const QString& rootPath, const DCFInfoList& dcfResult,
                                                  const PictureInfoList& pictureResult) {
  mediaTree_ = dcfResult;
  pictureTree_ = pictureResult;
  hasSecondary_ = std::any_of(mediaTree_.cbegin(), mediaTree_.cend(),
                              [](const DCFInfoPtr& info) { return !info->secondaryFilePath().isEmpty(); });
  if (mediaTree_.size() + pictureTree_.size() > 0 && !rootPath.isEmpty()) {
    RecentDocuments::noteNewRecentDocumentPath(rootPath);
  }
  mediaTreeNormal_.clear();
  mediaTreeEvent_.clear();
  for (const DCFInfoPtr& info : mediaTree_) {
    (info->isEventDCF() ? mediaTreeEvent_ : mediaTreeNormal_).append(info);
  }
  // What was selected belongs to the previous card.
  selectedDCFs_.clear();
  emit catalogueDidChange();
}

bool RecordingCatalogue::moveRoot(const QString& newPath, const QString& oldPath) {
  if (mediaTree_.isEmpty() || oldPath.isEmpty() || mediaTree_.first()->rootPath() != oldPath) {
    return false;
  }
  for (const DCFInfoPtr& info : mediaTree_) {
    info->changeWithRootPath(newPath);
  }
  emit rootDidMove();
  return true;
}

void RecordingCatalogue::updateSelectedDCFs(const DCFInfoList& infos) {
  if (infos == selectedDCFs_) {
    return;
  }
  selectedDCFs_ = infos;
  emit selectionDidChange(selectedDCFs_);
}

void RecordingCatalogue::updateCurrentDCF(const DCFInfoPtr& info, int fromMediaList,
                                          const PictureInfoPtr& currentPicture) {
  currentPicture_ = currentPicture;
  switch (fromMediaList) {
    case kMediaListNormal:
    case kMediaListEvent:
      if (!info) {
        if (currentPicture_) emit pictureWithoutDCFChosen(currentPicture_);
        return;
      }
      currentDCF_ = info;
      emit currentDCFDidChange(info, fromMediaList);
      return;
    case kMediaListFollower:
      if (!info) return;
      currentDCF_ = info;
      emit currentDCFDidChange(info, fromMediaList);
      return;
    case kMediaListMapNormal:
    case kMediaListMapEvent:
      if (info) emit recordingRequested(info, fromMediaList);
      return;
    default:
      return;
  }
}

void RecordingCatalogue::detachCurrentPicture() {
  if (!currentPicture_) {
    return;
  }
  if (const DCFInfoPtr parent = currentPicture_->parentDCFInfo()) {
    parent->removePicture(currentPicture_);
  }
  currentPicture_->setParentDCFInfo(nullptr);
}

}  // namespace dashcard
