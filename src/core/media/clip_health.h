#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace dashcard {

// What is wrong with a video file, told from its MP4 box headers alone (the
// index is read only when the data it points to was cut short).
enum class ClipDamage {
  None,        // healthy
  Empty,       // 0 bytes
  NoIndex,     // media data but no index: the camera never closed the clip
  Truncated,   // index present, data cut short: `playableSeconds` play
  Unreadable,  // no recognisable MP4 at all
};

struct ClipHealth {
  ClipDamage damage = ClipDamage::None;
  // Truncated: the seconds of video whose data is in the file.
  double playableSeconds = 0.0;
  // A sentence for a tooltip or a message; empty when healthy.
  QString reason;

  bool healthy() const { return damage == ClipDamage::None; }
  // Repairable by a rebuild from the media data.
  bool rebuildable() const { return damage == ClipDamage::NoIndex || damage == ClipDamage::Truncated; }

  // Reads a few box headers of the file at `path`: bounded reads, regular files only.
  static ClipHealth inspect(const QString& path);
  // The length of the video track as its index gives it (bounded reads,
  // no decoder); nullopt without a readable index.
  static std::optional<double> lengthSeconds(const QString& path);
  // A stable name for scripts: healthy, empty, no-index, truncated, unreadable.
  static const char* damageName(ClipDamage damage);
};

}  // namespace dashcard
