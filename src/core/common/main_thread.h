#pragma once

#include <atomic>
#include <functional>

class QThreadPool;

namespace dashcard {

// Runs `work` on the application's main thread and waits until it has run;
// false when it did not run. It is dropped, and the call returns, when
// `cancel` is set before it starts (the flag is asked again on the main
// thread, so a cancel made there just before wins) or when the application
// goes away first. The only way a background job talks to the main thread
// while it runs: a closing window or a quitting application never waits
// for a job, nor a job for a main thread that stopped serving it. Runs
// `work` directly on the main thread and when no application object exists.
bool runOnMainThread(const std::function<void()>& work, const std::atomic<bool>& cancel);
// The same without a cancel: a job's report once a cancel can stop nothing
// any more (only the application going away drops it).
bool runOnMainThread(const std::function<void()>& work);

// Queues `work` on the main thread without waiting; runs it at once when no
// application object exists.
void runOnMainThreadAsync(std::function<void()> work);

bool isMainThread();

// The one pool for background work: the long jobs (scan, walk, export,
// backup) and the chunks of `forEachInParallel`. Not Qt's global pool: Qt's
// own drawing and image conversions on the main thread wait for that one,
// and its few threads held by jobs waiting for the main thread would freeze
// both.
QThreadPool* backgroundJobPool();

// Starts `job` on backgroundJobPool(); the try form only when a thread is
// idle, and says whether it started. Jobs are started through these so that
// ThreadSanitizer sees the pool's hand-over (Qt's own mutex is invisible to it).
void startBackgroundJob(std::function<void()> job);
bool tryStartBackgroundJob(std::function<void()> job);

// Drops the jobs of backgroundJobPool() not started yet and waits for the
// running ones, whose hand-overs to the main thread are dropped meanwhile.
// Called while the application object is still whole (a map tile drawn after
// the GUI application went away crashed in QPainter); cancel the long jobs
// first, or this waits for them.
void drainBackgroundJobs();

}  // namespace dashcard
