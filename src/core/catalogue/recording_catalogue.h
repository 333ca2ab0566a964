#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/catalogue/picture_info.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace dashcard {

// The card of one window: its recordings and pictures, the selected ones and
// the current one. It knows nothing of panes: they observe its signals.
// Main thread only.
class RecordingCatalogue : public QObject {
  Q_OBJECT

 public:
  // Where a choice of the current recording comes from (updateCurrentDCF's `fromMediaList`).
  enum MediaList : int {
    kMediaListFollower = 0,
    kMediaListNormal = 1,
    kMediaListEvent = 2,
    kMediaListPhoto = 3,
    kMediaListMapNormal = 4,
    kMediaListMapEvent = 5,
  };

  using ProgressHandler = std::function<void(int phase, int percentage)>;
  using CompletionHandler = std::function<void(bool success)>;

  explicit RecordingCatalogue(QObject* parent = nullptr);
  // A running scan stops and publishes nothing.
  ~RecordingCatalogue() override;

  // Scans `rootPath` in the background and publishes the catalogue.
  // Progress: (0, 0) at once on this thread, (1, percent) throttled, (3, 100)
  // before publication. Completion: false at once when reloading is not
  // allowed (the scan still runs and ends with true).
  void mediaTreeAsyncAtRootPath(const QString& rootPath, ProgressHandler progressHandler = {},
                                CompletionHandler completionHandler = {});
  // With no root: empties the catalogue (false when reloading is not allowed).
  bool mediaTreeSyncAtRootPath(const std::optional<QString>& rootPath);
  void setMediaInfoWithRootPath(const QString& rootPath, const DCFInfoList& dcfResult,
                                const PictureInfoList& pictureResult);
  // Stops a running scan for good (the window closes).
  void stopScanning() { scanCancel_->store(true); }
  // Re-roots every recording when `oldPath` is this card's root; false otherwise.
  bool moveRoot(const QString& newPath, const QString& oldPath);

  // The lists' selection; told once per change.
  void updateSelectedDCFs(const DCFInfoList& infos);
  // A list, the map or a follower window chose `info` (a picture of the
  // photo list comes with `currentPicture`, with no recording when it was
  // taken outside every recording).
  void updateCurrentDCF(const DCFInfoPtr& info, int fromMediaList, const PictureInfoPtr& currentPicture);
  // The shown picture lies outside its recording: it stands alone.
  void detachCurrentPicture();
  // Shows the current picture alone (pictureWithoutDCFChosen).
  void showCurrentPictureAlone() {
    if (currentPicture_) emit pictureWithoutDCFChosen(currentPicture_);
  }
  // The background walk's news, told by whoever runs it.
  void walkDidRead(const DCFInfoPtr& info) { emit recordingDidParse(info); }
  void walkDidEnd() { emit walkDidFinish(); }

  const DCFInfoList& mediaTree() const { return mediaTree_; }
  const PictureInfoList& pictureTree() const { return pictureTree_; }
  const DCFInfoList& mediaTreeNormal() const { return mediaTreeNormal_; }
  const DCFInfoList& mediaTreeEvent() const { return mediaTreeEvent_; }
  bool hasSecondary() const { return hasSecondary_; }
  bool canReloadMedia() const { return canReloadMedia_; }
  void setCanReloadMedia(bool can) { canReloadMedia_ = can; }
  const DCFInfoPtr& currentDCF() const { return currentDCF_; }
  const DCFInfoList& selectedDCFs() const { return selectedDCFs_; }
  const PictureInfoPtr& currentPicture() const { return currentPicture_; }

 signals:
  // A catalogue was published (also an empty one).
  void catalogueDidChange();
  // The lists' selection changed.
  void selectionDidChange(const DCFInfoList& infos);
  // A list (kMediaListNormal, kMediaListEvent) or a follower window
  // (kMediaListFollower) made `info` current.
  void currentDCFDidChange(const DCFInfoPtr& info, int fromMediaList);
  // A picture taken outside every recording (or outside its own) is shown alone.
  void pictureWithoutDCFChosen(const PictureInfoPtr& picture);
  // The map chose `info` (kMediaListMapNormal, kMediaListMapEvent): its list selects it.
  void recordingRequested(const DCFInfoPtr& info, int fromMediaList);
  // Every recording was re-rooted onto a renamed volume.
  void rootDidMove();
  // The background walk read `info`'s telemetry, route and thumbnail.
  void recordingDidParse(const DCFInfoPtr& info);
  // The walk reached the last recording.
  void walkDidFinish();

 private:
  DCFInfoList mediaTree_;
  PictureInfoList pictureTree_;
  DCFInfoList mediaTreeNormal_;
  DCFInfoList mediaTreeEvent_;
  bool hasSecondary_ = false;
  bool canReloadMedia_ = true;
  DCFInfoPtr currentDCF_;
  DCFInfoList selectedDCFs_;
  PictureInfoPtr currentPicture_;
  std::shared_ptr<std::atomic<bool>> scanCancel_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace dashcard
