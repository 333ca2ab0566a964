#pragma once

#include <QString>

#include <atomic>
#include <functional>

namespace dashcard {

// Turns a video whose index is missing or cut (a power loss mid-clip) into
// a new playable MP4: the codec set-up, time scales and frame rate come
// from a healthy clip of the same camera (the reference), the samples from
// a walk over the damaged clip's media data. The damaged file is only read;
// the copy is written atomically, so a failure or a cancel leaves nothing.
class ClipRebuilder {
 public:
  struct Result {
    bool ok = false;
    bool cancelled = false;
    // A sentence saying why nothing was written.
    QString error;
    int videoFrames = 0;
    int audioFrames = 0;
    double seconds = 0.0;
    QString reference;
  };
  // Fraction done, 0..1.
  using Progress = std::function<void(double fraction)>;

  // A healthy clip beside `damagedPath` from the same camera (front for
  // front, rear for rear: the first letter of the name), nearest in time by
  // the start time in the names; empty when there is none.
  static QString findReference(const QString& damagedPath);

  // Rebuilds `damagedPath` into `outputPath` (never the same file). An empty
  // `referencePath` looks one up with findReference. Runs on the calling
  // thread; `cancel` is looked at between samples and copied pieces.
  // `maxPictures` > 0 stops after that many pictures from the first key
  // picture (a thumbnail needs only the start).
  static Result rebuild(const QString& damagedPath, const QString& referencePath, const QString& outputPath,
                        const std::atomic<bool>* cancel = nullptr, const Progress& progress = {},
                        int maxPictures = 0);
};

}  // namespace dashcard
