#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace dashcard {

// Where the maker puts each clip's telemetry file: beside the video, in the
// NMEA/<folder>/ tree, or alternating between the two.
enum class SampleTelemetryPlace { Beside, Nmea, Mixed };

struct SampleCardOptions {
  // Bounds that keep names and dates of the card real: the clips of a card
  // span at most a few years around the fixed middle date.
  static constexpr int kMaxClips = 100000;
  static constexpr int kMaxClipSeconds = 3600;
  static constexpr int kMaxSide = 4096;

  int clips = 20;
  int clipSeconds = 3;
  std::uint64_t seed = 1;
  bool rear = true;
  SampleTelemetryPlace telemetry = SampleTelemetryPlace::Nmea;
  int width = 320;
  int height = 180;
  // Encoded road-scene videos, or empty files (for scan benchmarks).
  bool encodeVideos = true;
  // Concurrent ffmpeg processes.
  int jobs = 2;
  // The last clip's front video as a power loss leaves it (cutByPowerLoss).
  bool powerLossClip = false;
};

// One clip of a written sample card, for tests that want to know what to expect.
struct SampleClip {
  QString folder;        // NORMAL, EVENT, MANUAL or PARKING
  QString frontPath;     // relative to the card root
  QString rearPath;      // relative; empty without rear camera
  QString telemetryPath; // relative
  QDateTime start;       // UTC
  int seconds = 0;
  bool frontCutByPowerLoss = false;
};

// Writes a card laid out the way the camera writes one: recording folders,
// front and rear videos, one telemetry file per clip, a picture and the
// camera's settings file. The same options give the same card byte for byte.
class SampleCardMaker {
 public:
  explicit SampleCardMaker(SampleCardOptions options);

  // Writes the card into `rootPath` (created when missing). Returns false and
  // sets `error` when an option is out of bounds, a file cannot be written or
  // ffmpeg fails.
  bool make(const QString& rootPath, QString* error,
            const std::function<void(int done, int total)>& progress = {});

  const QList<SampleClip>& clips() const { return clips_; }

  // Rewrites the MP4 at `path` as a camera leaves a clip when its power
  // goes: no index, the media data's size never filled in (0), and only the
  // first `keep` share of the media data written.
  static bool cutByPowerLoss(const QString& path, double keep, QString* error);

  // The telemetry text of a simulated drive of `seconds` seconds starting at
  // `startUtc`, as the camera writes it (CR LF lines). `coldStartSeconds`
  // leading fixes are void. Used by benchmarks and tests as well.
  static QByteArray driveTelemetry(std::uint64_t seed, const QDateTime& startUtc, int seconds,
                                   int coldStartSeconds = 0, bool impact = false,
                                   bool parked = false);

  // The first clip of a card starts so that the middle clip crosses midnight.
  static QDateTime firstClipStart(const SampleCardOptions& options);

 private:
  SampleCardOptions options_;
  QList<SampleClip> clips_;
};

}  // namespace dashcard
