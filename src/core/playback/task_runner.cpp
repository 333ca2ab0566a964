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

  Progress progress = [weak](float fraction, const QString& item) {
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
      sheet->setInfoLabelText(error ? (failedText ? failedText(*error) : *error)
                                    : note.isEmpty() ? doneText : doneText + QLatin1Char('\n') + note);
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

void TaskRunner::cancelAll() {
  const auto tasks = running_;
  for (const auto& task : tasks) close(task, true);
}

}  // namespace dashcard
