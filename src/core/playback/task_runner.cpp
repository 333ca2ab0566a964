#include "core/playback/task_runner.h"

#include <QPointer>

#include <algorithm>

namespace dashcard {

struct TaskRunner::Running {
  ProgressSheet* sheet = nullptr;
  std::function<void()> cancel;
  bool finished = false;
  bool closed = false;
};

TaskRunner::TaskRunner(QObject* parent) : QObject(parent) {}

TaskRunner::~TaskRunner() {
  for (const auto& task : std::as_const(running_)) {
    task->closed = true;
    if (!task->finished && task->cancel) task->cancel();
  }
}

ProgressSheet* TaskRunner::currentSheet() const {
  for (auto it = running_.crbegin(); it != running_.crend(); ++it) {
    if ((*it)->sheet != nullptr) return (*it)->sheet;
  }
  return nullptr;
}

void TaskRunner::run(RecordingListPane* parent, Job job) {
  auto task = std::make_shared<Running>();
  task->cancel = std::move(job.cancel);
  task->sheet = parent != nullptr ? parent->presentProgressSheet() : nullptr;
  QPointer<TaskRunner> self(this);
  std::weak_ptr<Running> weak = task;
  if (ProgressSheet* sheet = task->sheet) {
    sheet->setCloseClickBlock([self, weak](ProgressSheet*) {
      if (const auto closing = weak.lock(); closing && self) self->close(closing, true);
    });
    sheet->setInfoLabelText(QString());
    if (!job.startText.isEmpty()) sheet->setInfoLabelText(job.startText);
  }
  running_.append(task);
  if (running_.size() == 1) emit busyChanged(true);

  Progress progress = [weak](const QString& item, float fraction) {
    const auto live = weak.lock();
    if (!live || live->closed || live->finished || live->sheet == nullptr) return;
    // The button reads "Finish" only once the end is reported.
    live->sheet->setProgress(std::min(fraction, 0.999f));
    if (!item.isEmpty()) live->sheet->setInfoLabelText(item);
  };
  Finish finish = [self, weak, doneText = job.doneText, failedText = job.failedText,
                   doneNote = job.doneNote](const std::optional<QString>& error) {
    const auto live = weak.lock();
    if (!live || live->closed || live->finished) return;
    live->finished = true;
    if (ProgressSheet* sheet = live->sheet) {
      sheet->setSucceeded(!error);
      sheet->setProgress(1.0f);
      const QString note = !error && doneNote ? doneNote() : QString();
      if (error) {
        sheet->setInfoLabelText(failedText ? failedText(*error) : *error);
      } else if (!doneText.isEmpty()) {
        sheet->setInfoLabelText(note.isEmpty() ? doneText : doneText + QLatin1Char('\n') + note);
      } else if (!note.isEmpty()) {
        sheet->setInfoLabelText(note);
      }
    } else if (self) {
      self->close(live, false);  // nobody closes a sheet that is not there
    }
  };
  job.start(std::move(progress), std::move(finish));
}

void TaskRunner::close(const std::shared_ptr<Running>& task, bool cancel) {
  if (task->closed) return;
  task->closed = true;
  if (cancel && !task->finished && task->cancel) task->cancel();
  running_.removeAll(task);
  if (task->sheet != nullptr) task->sheet->dismiss();
  if (running_.isEmpty()) emit busyChanged(false);
}

TaskRunner::Job TaskRunner::chain(Job first, Job second) {
  struct Chain {
    Job first, second;
    bool secondRuns = false;
    bool cancelled = false;
  };
  auto chain = std::make_shared<Chain>(Chain{std::move(first), std::move(second)});
  const auto failed = [](const Job& job, const QString& error) {
    return job.failedText ? job.failedText(error) : error;
  };
  Job job;
  job.start = [chain, failed](Progress progress, Finish finish) {
    chain->first.start([progress](const QString& item, float fraction) { progress(item, fraction / 2); },
                       [chain, failed, progress, finish](const std::optional<QString>& error) {
                         if (error) {
                           finish(failed(chain->first, *error));
                           return;
                         }
                         if (chain->cancelled) return;
                         chain->secondRuns = true;
                         progress(chain->second.startText, 0.5f);
                         chain->second.start(
                             [progress](const QString& item, float fraction) { progress(item, 0.5f + fraction / 2); },
                             [chain, failed, finish](const std::optional<QString>& secondError) {
                               finish(secondError ? std::optional<QString>(failed(chain->second, *secondError))
                                                  : std::nullopt);
                             });
                       });
  };
  job.cancel = [chain] {
    chain->cancelled = true;
    const Job& running = chain->secondRuns ? chain->second : chain->first;
    if (running.cancel) running.cancel();
  };
  job.startText = chain->first.startText;
  job.doneText = chain->second.doneText;
  // The first job's warnings (a gap in the video) still reach the sheet.
  job.doneNote = [chain] {
    QStringList notes;
    for (const Job* part : {&chain->first, &chain->second}) {
      const QString note = part->doneNote ? part->doneNote() : QString();
      if (!note.isEmpty()) notes << note;
    }
    return notes.join(QLatin1Char('\n'));
  };
  job.failedText = [](const QString& text) { return text; };
  return job;
}

void TaskRunner::cancelAll() {
  const auto tasks = running_;
  for (const auto& task : tasks) close(task, true);
}

}  // namespace dashcard
