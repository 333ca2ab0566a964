#pragma once

#include <functional>

class QThreadPool;

namespace dashcard {

// Runs `work` on the application's main thread and returns once it has run.
// Runs it directly when called on the main thread (a queued blocking call
// would deadlock there). Does nothing when no application object exists.
void runOnMainThreadSync(const std::function<void()>& work);

// Queues `work` on the main thread without waiting.
void runOnMainThreadAsync(std::function<void()> work);

bool isMainThread();

// The pool for long background jobs that hand work to the main thread and
// wait for it (scan, walk, export, backup). Not Qt's global pool: Qt's own
// drawing and image conversions on the main thread wait for that one, and
// its few threads held by jobs waiting for the main thread would freeze both.
QThreadPool* backgroundJobPool();

}  // namespace dashcard
