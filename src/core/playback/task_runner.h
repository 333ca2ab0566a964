#pragma once

#include "core/playback/panes.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace dashcard {

// The long tasks of one window (KML/KMZ export, backup, video export, and
// what comes later) in one shape, each shown on the task sheet of the pane
// it was started from. The sheet's wiring is here, once: progress and item
// text while the task runs, its end, and its close button, which cancels a
// task still running. Main thread only.
class TaskRunner : public QObject {
  Q_OBJECT

 public:
  // The item at work (empty: the text stays) and the fraction done (0..1):
  // the form every job class reports in, so a job hands it on as it is.
  using Progress = std::function<void(const QString& item, float fraction)>;
  // The end: an error text, or none for success.
  using Finish = std::function<void(const std::optional<QString>& error)>;
  struct Job {
    // Starts the work, which reports on the main thread and finishes exactly
    // once (a second report of its end is dropped).
    std::function<void(Progress, Finish)> start;
    // Stops the work; nothing of it reaches the sheet afterwards.
    std::function<void()> cancel;
    // The sheet's text at the start, after a success (none: the last item's
    // text stays, for a job that tells its own result), after an error.
    QString startText;
    QString doneText;
    std::function<QString(const QString& error)> failedText;
    // Asked at a success: what the sheet says below doneText (a warning).
    std::function<QString()> doneNote;
  };

  // One job of two on one sheet: `second` starts once `first` succeeded and
  // the halves of the bar are theirs; an error of either is the end, and a
  // cancel stops the one that runs (the second never starts after it).
  static Job chain(Job first, Job second);

  explicit TaskRunner(QObject* parent = nullptr);
  // Cancels what still runs.
  ~TaskRunner() override;

  // Presents the sheet of `parent` (none when null or it has none: the task
  // then runs without one until it ends) and starts `job`.
  void run(RecordingListPane* parent, Job job);
  // Cancels every task and dismisses its sheet.
  void cancelAll();
  bool isBusy() const { return !running_.isEmpty(); }
  // The newest open sheet, null when none.
  ProgressSheet* currentSheet() const;

 signals:
  // The first task started, or the last one's sheet closed (or, without a
  // sheet, it ended).
  void busyChanged(bool busy);

 private:
  struct Running;
  void close(const std::shared_ptr<Running>& task, bool cancel);

  QList<std::shared_ptr<Running>> running_;
};

}  // namespace dashcard
