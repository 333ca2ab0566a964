#pragma once

#include <functional>

namespace dashcard {

// Runs `work` on the application's main thread and returns once it has run.
// Runs it directly when called on the main thread (a queued blocking call
// would deadlock there). Does nothing when no application object exists.
void runOnMainThreadSync(const std::function<void()>& work);

// Queues `work` on the main thread without waiting.
void runOnMainThreadAsync(std::function<void()> work);

bool isMainThread();

}  // namespace dashcard
