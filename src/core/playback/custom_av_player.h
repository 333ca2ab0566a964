#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

#include <atomic>

struct mpv_handle;
struct mpv_event;

namespace dashcard {

// One libmpv handle with the calls the player panes need:
// load, play/pause, volume and mute, exact seeks, a speed, the duration and
// position of the file, a periodic time callback, the end of the item
// (reported once) and an error state. Positions are in file time (seconds
// of the file at normal speed); the panes derive the rate-scaled values.
// Main thread only; mpv's events reach it through a queued call.
class CustomAVPlayer : public QObject {
  Q_OBJECT

 public:
  struct Options {
    // "null" for no pictures (tests, benchmarks), "libmpv" when a render
    // context draws them (the video surfaces).
    QString videoOutput = QStringLiteral("null");
    // "null" silences the audio device (tests, benchmarks); empty = mpv's default.
    QString audioOutput;
    // mpv's hardware decoders where a device and driver allow them, the
    // software path unchanged where none is; "no" for software only.
    QString hwdec = QStringLiteral("auto-safe");
    // Speeds from which only key frames are decoded, so the clock does not
    // run ahead of the pictures when software decoding cannot keep up.
    double keyFramesOnlyFromSpeed = 8.0;
  };

  explicit CustomAVPlayer(QObject* parent = nullptr);
  explicit CustomAVPlayer(Options options, QObject* parent = nullptr);
  ~CustomAVPlayer() override;

  CustomAVPlayer(const CustomAVPlayer&) = delete;
  CustomAVPlayer& operator=(const CustomAVPlayer&) = delete;

  // False when mpv could not be created; every call is then a no-op.
  bool isValid() const { return mpv_ != nullptr; }
  mpv_handle* handle() const { return mpv_; }
  const Options& options() const { return options_; }

  // Replaces the current item by `path` played at `speed` (silent at any
  // speed but 1). Loading is asynchronous: loaded() or errorOccurred()
  // follows. The play state ("rate") is kept across items.
  void loadFile(const QString& path, double speed = 1.0);
  // Drops the current item.
  void unload();
  bool hasItem() const { return !path_.isEmpty(); }
  bool isLoaded() const { return loaded_; }
  QString path() const { return path_; }

  // 0 paused, 1 playing. It stays 1 when the item ends, so the next item
  // starts playing by itself.
  void play();
  void pause();
  void setRate(double rate);
  double rate() const { return rate_; }
  bool isPlaying() const { return rate_ != 0.0; }

  void setVolume(float volume);  // 0..1
  float volume() const { return volume_; }
  void setMuted(bool muted);
  bool isMuted() const { return muted_; }

  // Exact seek to `seconds` of file time, clamped to the item.
  void seek(double seconds);
  // A seek is on its way (its picture is not shown yet).
  bool isSeeking() const { return seeking_; }
  void setSpeed(double speed);
  double speed() const { return speed_; }

  // File duration (0 until loaded or when unknown) and file position.
  double duration() const { return duration_; }
  double position() const;
  bool hasVideo() const { return videoSize_.isValid() && !videoSize_.isEmpty(); }
  QSize videoSize() const { return videoSize_; }
  bool endReached() const { return eofReported_; }
  // Standing at the end of the item (reported or not: a paused player reports it on play).
  bool isAtEnd() const { return eofSeen_; }

  bool hasError() const { return !error_.isEmpty(); }
  QString errorString() const { return error_; }

  // Interval of the time callback while playing, milliseconds.
  void setTickInterval(int ms) { tickTimer_.setInterval(ms); }
  // A time callback will still come (playing, or one is posted).
  bool timeCallbackPending() const { return tickTimer_.isActive() || timeScheduled_; }

  // The exact picture at the current position as RGB (mpv's screenshot-raw,
  // video only, no subtitles or OSD). Null without a picture.
  QImage grabFrame() const;

  // Shows the picture magnified by `magnification` (1 = whole picture) with
  // the point (centreX, centreY), as fractions of the picture, in the middle.
  void setVideoZoom(double magnification, double centreX, double centreY);

  // One mpv property as text (empty when unavailable), for diagnostics.
  QString mpvProperty(const char* name) const;
  // The hardware decoder of the current item (mpv's hwdec-current), or
  // "software" when it decodes in software or has no item.
  QString decoderInUse() const;

 signals:
  void loaded();
  // Every tick of the time callback while playing, and once (queued) after
  // each jump in time, play and pause.
  void timeChanged(double position);
  // Once per item.
  void endOfItem();
  void errorOccurred(const QString& message);
  void rateChanged(double rate);

 private:
  void create();
  void drainEvents();
  // Drops everything known of the current item (not its path or speed).
  void forgetItem();
  void handleEvent(const mpv_event* event);
  void applyPause();
  void applySpeedOptions();
  void emitTime();
  void scheduleTime();
  void handleEof();
  void updateTickTimer();

  Options options_;
  mpv_handle* mpv_ = nullptr;
  QString path_;
  bool loaded_ = false;
  bool eofReported_ = false;
  bool eofSeen_ = false;
  double rate_ = 0.0;
  double speed_ = 1.0;
  float volume_ = 1.0f;
  bool muted_ = false;
  double duration_ = 0.0;
  QSize videoSize_;
  QString error_;
  // A seek asked for before the file was loaded, or still running: the
  // position reads as its target until mpv restarts playback.
  double pendingSeek_ = -1.0;
  bool seeking_ = false;
  bool seekHeld_ = false;
  bool seekStarted_ = false;  // mpv announced our seek
  bool timeScheduled_ = false;
  double seekTarget_ = 0.0;
  QTimer tickTimer_;
  std::atomic<bool> drainQueued_{false};
  quint64 entryId_ = 0;         // playlist entry of the current item
  quint64 startedEntryId_ = 0;  // entry mpv started last
};

}  // namespace dashcard
