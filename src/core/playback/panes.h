#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/catalogue/picture_info.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace dashcard {

class ProgressSheet;

// What the window's panes offer to the controllers. Widgets implement these;
// tests implement them with recording fakes. Every call is made on the main
// thread.

// The file, event and photo lists.
class RecordingListPane {
 public:
  virtual ~RecordingListPane() = default;
  // Shows `infos`; `allDCFinfos` is the whole catalogue the rows belong to.
  virtual void reloadDCFInfo(const DCFInfoList& infos) = 0;
  virtual void reloadDCFInfo(const DCFInfoList& infos, const DCFInfoList& allDCFinfos) = 0;
  // The photo list's form.
  virtual void reloadDCFInfo(const PictureInfoList& pictures) { (void)pictures; }
  virtual void selectFirstItem() = 0;
  virtual void selectCurrentDCF(const DCFInfoPtr& info) = 0;
  // Selects the row after `info`, wrapping to the first row.
  virtual void selectNextDCFWithCurrentDCF(const DCFInfoPtr& info) = 0;
  virtual void deselection() = 0;
  // Scrolls the selected row into view.
  virtual void focusCurrentDCF() = 0;
  virtual DCFInfoList selectedDCFInfos() const = 0;
  // Shows the task sheet of a long task started from this list over the
  // list's window and returns it; null when no sheet can be shown. The task
  // dismisses it through ProgressSheet::dismiss().
  virtual ProgressSheet* presentProgressSheet() { return nullptr; }
  // The drive through this list stopped by itself: `reason` says why.
  virtual void playbackDidStop(const QString& reason) { (void)reason; }
};

// The tab view over the lists: tab 0 the normal list, tab 1 the event list.
class TabPane {
 public:
  virtual ~TabPane() = default;
  virtual void tabViewIsActive(bool active) = 0;
  virtual int selectedTabViewItemIndex() const = 0;
  virtual void setSelectedTabViewItemIndex(int index) = 0;
};

// One player pane (front or rear).
class PlayerPane {
 public:
  using Handler = std::function<void()>;

  virtual ~PlayerPane() = default;
  virtual void resetZoomPlayerView() = 0;
  // An empty path stops and clears the player.
  virtual void playWithPath(const QString& path) = 0;
  // Missing handlers are replaced by ones that do nothing.
  virtual void playWithPath(const QString& path, Handler willStartPlay, Handler progress, Handler didStopPlaying) = 0;
  // The same with a handler for a file that cannot be played.
  virtual void playWithPath(const QString& path, Handler willStartPlay, Handler progress, Handler didStopPlaying,
                            Handler didError) {
    (void)didError;
    playWithPath(path, std::move(willStartPlay), std::move(progress), std::move(didStopPlaying));
  }
  virtual void showImageWithPath(const QString& path) = 0;
  virtual void play() = 0;
  virtual void pause() = 0;
  // Plays with the sound off.
  virtual void mutePlay() = 0;
  virtual bool isPlaying() const = 0;
  // Fractions of the item, clamped to 0..1.
  virtual void setCurrentProgress(float progress) = 0;
  virtual float progress() const = 0;
  // Seconds at the current rate, and of the file at normal speed.
  virtual double totalTime() const = 0;
  virtual double originalTotalTime() const = 0;
  virtual double originalCurrentTime() const = 0;
  virtual double playbackRate() const = 0;
  virtual void updatePlaybackRate(double rate) = 0;
  virtual void audioMuteEnable(bool muted) = 0;
  virtual bool muteState() const = 0;
  // A seek was asked for and has not landed yet (progress() shows its target).
  virtual bool isSeeking() const { return false; }
};

// The split between the front and the rear player.
class PlayerSplitPane {
 public:
  virtual ~PlayerSplitPane() = default;
  virtual void setupDividerWithSecondaryPlayerEnable(bool enable) = 0;
};

// The task sheet of a long task. Shown and dismissed by its parent pane.
class ProgressSheet {
 public:
  using CloseHandler = std::function<void(ProgressSheet* sheet)>;

  virtual ~ProgressSheet() = default;
  virtual void setProgress(float progress) = 0;
  virtual void setInfoLabelText(const QString& text) = 0;
  // Told before the final progress of 1.0, so that a failed task does not end
  // with the mark of a finished one.
  virtual void setSucceeded(bool succeeded) = 0;
  virtual void setCloseClickBlock(CloseHandler handler) = 0;
  virtual void dismiss() = 0;
};

}  // namespace dashcard
