#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

namespace dashcard {

class AtomicFileWriter;

// Writes one MP4 of a span of time across consecutive clips with FFmpeg's
// libraries, into an AtomicFileWriter that the caller commits. No shell.
//
// Copy (front or rear): the clips' packets joined without re-encoding, from
// the key frame at or before the start to the key frame at or after the end,
// the first clip's sound kept. `exact` re-encodes the partial groups of
// pictures at the two edges so the file starts and ends on the instants.
// Side by side: front and rear decoded, the rear mirrored (as the viewer
// shows it) and scaled to the front's height, put side by side and encoded
// with H.264; the front's sound is copied.
//
// Timestamps follow the clock: consecutive clips join seamlessly, and a gap
// of more than a second between them (a missing clip) stays a gap in the
// file, in which players hold the last picture.
class VideoSpanWriter {
 public:
  struct Clip {
    QString videoPath;  // the front video, or the rear one for a rear copy
    QString rearPath;   // side by side only
    QDateTime start;    // the clock time of its first picture
  };
  enum class Mode { Copy, SideBySide };
  struct Options {
    Mode mode = Mode::Copy;
    bool exact = false;
    bool keepSound = true;
    // Side by side: the burnt-in line at a clock time; none without.
    std::function<QString(const QDateTime& at)> overlayText;
    // Side by side: decode on a graphics device when one is present and
    // Preferences allow it; software otherwise, silently.
    bool hardwareDecoding = true;
  };
  // 0..1 of the span written.
  using Progress = std::function<void(double fraction)>;

  // The reason of a failure, none on success. Stops with "Cancelled." when
  // `cancel` is set.
  static std::optional<QString> write(const QList<Clip>& clips, const QDateTime& from, const QDateTime& to,
                                      const Options& options, AtomicFileWriter& out, const std::atomic<bool>& cancel,
                                      const Progress& progress);
};

}  // namespace dashcard
