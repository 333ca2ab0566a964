#include "core/playback/custom_av_player.h"

#include <mpv/client.h>

#include <QDebug>
#include <QFileInfo>

#include <algorithm>
#include <clocale>
#include <cmath>

namespace dashcard {

namespace {

enum ObservedProperty : quint64 { kEofReached = 1 };

void setOption(mpv_handle* mpv, const char* name, const QString& value) {
  const QByteArray v = value.toUtf8();
  if (mpv_set_option_string(mpv, name, v.constData()) < 0) {
    qWarning("mpv option %s=%s refused", name, v.constData());
  }
}

void setMpvProperty(mpv_handle* mpv, const char* name, const QString& value) {
  const QByteArray v = value.toUtf8();
  mpv_set_property_string(mpv, name, v.constData());
}

}  // namespace

CustomAVPlayer::CustomAVPlayer(QObject* parent) : CustomAVPlayer(Options{}, parent) {}

CustomAVPlayer::CustomAVPlayer(Options options, QObject* parent) : QObject(parent), options_(std::move(options)) {
  tickTimer_.setTimerType(Qt::PreciseTimer);
  tickTimer_.setInterval(10);
  connect(&tickTimer_, &QTimer::timeout, this, &CustomAVPlayer::emitTime);
  create();
}

CustomAVPlayer::~CustomAVPlayer() {
  tickTimer_.stop();
  if (mpv_) {
    // No wake-ups after this returns; queued drains for a deleted object are dropped by Qt.
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    mpv_terminate_destroy(mpv_);
    mpv_ = nullptr;
  }
}

void CustomAVPlayer::create() {
  // mpv refuses to start under a locale whose decimal separator is not '.'.
  std::setlocale(LC_NUMERIC, "C");
  mpv_ = mpv_create();
  if (!mpv_) {
    error_ = QStringLiteral("mpv could not be created");
    return;
  }
  setOption(mpv_, "config", QStringLiteral("no"));
  setOption(mpv_, "terminal", QStringLiteral("no"));
  setOption(mpv_, "input-default-bindings", QStringLiteral("no"));
  setOption(mpv_, "osc", QStringLiteral("no"));
  // No Lua scripts (stats, console, stream lookup, profiles): each is a thread
  // of its own started with every player, and none of them is used here.
  setOption(mpv_, "load-scripts", QStringLiteral("no"));
  setOption(mpv_, "load-stats-overlay", QStringLiteral("no"));
  setOption(mpv_, "load-osd-console", QStringLiteral("no"));
  setOption(mpv_, "load-auto-profiles", QStringLiteral("no"));
  setOption(mpv_, "ytdl", QStringLiteral("no"));
  setOption(mpv_, "idle", QStringLiteral("yes"));
  setOption(mpv_, "vo", options_.videoOutput);
  if (!options_.audioOutput.isEmpty()) setOption(mpv_, "ao", options_.audioOutput);
  setOption(mpv_, "hwdec", options_.hwdec);
  // The item stays at its last picture at the end; seeking back plays on.
  setOption(mpv_, "keep-open", QStringLiteral("yes"));
  setOption(mpv_, "keep-open-pause", QStringLiteral("no"));
  // The next clip's picture starts at once: with the default gapless audio
  // it waited for the previous clip's buffered sound (hand-over at 1x 35-41
  // ms, without 8-15 ms), and the front, which has sound, lagged the rear.
  setOption(mpv_, "gapless-audio", QStringLiteral("no"));
  setOption(mpv_, "hr-seek", QStringLiteral("yes"));
  setOption(mpv_, "pause", QStringLiteral("yes"));
  setOption(mpv_, "sub-auto", QStringLiteral("no"));
  setOption(mpv_, "audio-file-auto", QStringLiteral("no"));
  setOption(mpv_, "screenshot-format", QStringLiteral("png"));
  if (options_.videoOutput == QLatin1String("libmpv")) {
    // Plain scaling in 8-bit buffers: a dashcam picture gains nothing from
    // the costly filters, and a software OpenGL (no GPU) keeps up.
    setOption(mpv_, "scale", QStringLiteral("bilinear"));
    setOption(mpv_, "dscale", QStringLiteral("bilinear"));
    setOption(mpv_, "cscale", QStringLiteral("bilinear"));
    setOption(mpv_, "dither", QStringLiteral("no"));
    setOption(mpv_, "correct-downscaling", QStringLiteral("no"));
    setOption(mpv_, "linear-downscaling", QStringLiteral("no"));
    setOption(mpv_, "sigmoid-upscaling", QStringLiteral("no"));
    setOption(mpv_, "deband", QStringLiteral("no"));
    setOption(mpv_, "fbo-format", QStringLiteral("rgba8"));
    setOption(mpv_, "hdr-compute-peak", QStringLiteral("no"));
    // The same for the software surface, whose scaler is zimg: its default
    // lanczos and dithering cost a tenth of the drawn window's CPU at 1x.
    setOption(mpv_, "zimg-scaler", QStringLiteral("bilinear"));
    setOption(mpv_, "zimg-dither", QStringLiteral("no"));
  }
  if (mpv_initialize(mpv_) < 0) {
    mpv_destroy(mpv_);
    mpv_ = nullptr;
    error_ = QStringLiteral("mpv could not be initialised");
    return;
  }
  mpv_observe_property(mpv_, kEofReached, "eof-reached", MPV_FORMAT_FLAG);
  mpv_set_wakeup_callback(
      mpv_,
      [](void* context) {
        auto* self = static_cast<CustomAVPlayer*>(context);
        if (self->drainQueued_.exchange(true)) return;
        QMetaObject::invokeMethod(self, [self] { self->drainEvents(); }, Qt::QueuedConnection);
      },
      this);
}

void CustomAVPlayer::forgetItem() {
  tickTimer_.stop();
  loaded_ = false;
  eofReported_ = false;
  eofSeen_ = false;
  duration_ = 0.0;
  videoSize_ = QSize();
  pendingSeek_ = -1.0;
  seeking_ = false;
  seekHeld_ = false;
  error_.clear();
  entryId_ = 0;
}

void CustomAVPlayer::loadFile(const QString& path, double speed) {
  forgetItem();
  path_ = path;
  speed_ = speed > 0.0 ? speed : 1.0;
  if (!mpv_) {
    error_ = QStringLiteral("mpv could not be created");
    return;
  }
  applySpeedOptions();
  const QByteArray file = QFileInfo(path).absoluteFilePath().toUtf8();
  const char* args[] = {"loadfile", file.constData(), "replace", nullptr};
  mpv_node result{};
  if (mpv_command_ret(mpv_, args, &result) < 0) {
    error_ = QStringLiteral("mpv refused to load %1").arg(path);
    emit errorOccurred(error_);
    return;
  }
  if (result.format == MPV_FORMAT_NODE_MAP) {
    for (int i = 0; i < result.u.list->num; ++i) {
      if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0 &&
          result.u.list->values[i].format == MPV_FORMAT_INT64) {
        entryId_ = static_cast<quint64>(result.u.list->values[i].u.int64);
      }
    }
  }
  mpv_free_node_contents(&result);
}

void CustomAVPlayer::unload() {
  forgetItem();
  path_.clear();
  if (!mpv_) return;
  const char* args[] = {"stop", nullptr};
  mpv_command(mpv_, args);
}

void CustomAVPlayer::play() { setRate(1.0); }

void CustomAVPlayer::pause() {
  if (rate_ == 0.0) return;
  // mpv may still show one more frame after pausing; stand exactly where
  // the position was read, so the picture and the reported time agree.
  const bool hold = loaded_ && !seeking_ && !eofSeen_;
  const double at = position();
  setRate(0.0);
  if (hold) seek(at);
}

void CustomAVPlayer::setRate(double rate) {
  const double r = rate > 0.0 ? 1.0 : 0.0;
  if (r == rate_) return;
  rate_ = r;
  if (rate_ != 0.0 && !seeking_) seekHeld_ = false;
  applyPause();
  updateTickTimer();
  emit rateChanged(rate_);
  if (loaded_) scheduleTime();
  // Started while standing at the end: the end is reported now.
  if (rate_ != 0.0 && loaded_ && eofSeen_ && !eofReported_) {
    eofReported_ = true;
    emit endOfItem();
  }
}

void CustomAVPlayer::applyPause() {
  if (!mpv_) return;
  int pause = rate_ == 0.0 ? 1 : 0;
  mpv_set_property(mpv_, "pause", MPV_FORMAT_FLAG, &pause);
}

void CustomAVPlayer::setVolume(float volume) {
  const float clamped = std::clamp(volume, 0.0f, 1.0f);
  // The rear pane asks again at every tick: each call would take mpv's lock.
  if (clamped == volume_) return;
  volume_ = clamped;
  if (!mpv_) return;
  double v = static_cast<double>(volume_) * 100.0;
  mpv_set_property(mpv_, "volume", MPV_FORMAT_DOUBLE, &v);
}

void CustomAVPlayer::setMuted(bool muted) {
  muted_ = muted;
  if (!mpv_) return;
  int m = muted ? 1 : 0;
  mpv_set_property(mpv_, "mute", MPV_FORMAT_FLAG, &m);
}

void CustomAVPlayer::seek(double seconds) {
  if (!mpv_ || !hasItem() || hasError()) return;
  if (!std::isfinite(seconds)) seconds = 0.0;
  seconds = std::max(0.0, seconds);
  if (duration_ > 0.0) seconds = std::min(seconds, duration_);
  if (!loaded_) {
    pendingSeek_ = seconds;
    return;
  }
  const bool jump = std::abs(position() - seconds) > 0.001;
  eofSeen_ = false;
  seeking_ = true;
  seekStarted_ = false;
  seekHeld_ = true;
  seekTarget_ = seconds;
  const QByteArray target = QByteArray::number(seconds, 'f', 6);
  const char* args[] = {"seek", target.constData(), "absolute+exact", nullptr};
  mpv_command(mpv_, args);
  updateTickTimer();
  // A jump in time is reported once, from the event loop (the caller's own
  // state is settled by then); a seek to where the player stands is not a jump.
  if (jump) scheduleTime();
}

void CustomAVPlayer::setSpeed(double speed) {
  speed_ = speed > 0.0 ? speed : 1.0;
  applySpeedOptions();
}

void CustomAVPlayer::applySpeedOptions() {
  if (!mpv_) return;
  double s = speed_;
  mpv_set_property(mpv_, "speed", MPV_FORMAT_DOUBLE, &s);
  // Other speeds play silently.
  setMpvProperty(mpv_, "aid", speed_ == 1.0 ? QStringLiteral("auto") : QStringLiteral("no"));
  setMpvProperty(mpv_, "vd-lavc-skipframe",
              speed_ >= options_.keyFramesOnlyFromSpeed ? QStringLiteral("nonkey") : QStringLiteral("default"));
}

double CustomAVPlayer::position() const {
  if (!mpv_ || !loaded_) return pendingSeek_ >= 0.0 ? pendingSeek_ : 0.0;
  // While a seek runs, and after it while paused, the position is the
  // target (the frame shown may start a few milliseconds earlier).
  if (seeking_ || (seekHeld_ && rate_ == 0.0)) return seekTarget_;
  if (eofSeen_) return duration_;
  double pos = 0.0;
  if (mpv_get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &pos) < 0 || !std::isfinite(pos)) return 0.0;
  pos = std::max(0.0, pos);
  return duration_ > 0.0 ? std::min(pos, duration_) : pos;
}

QImage CustomAVPlayer::grabFrame() const {
  if (!mpv_ || !loaded_ || !hasVideo()) return {};
  const char* args[] = {"screenshot-raw", "video", nullptr};
  mpv_node result{};
  if (mpv_command_ret(mpv_, args, &result) < 0) return {};
  QImage image;
  if (result.format == MPV_FORMAT_NODE_MAP) {
    qint64 w = 0, h = 0, stride = 0;
    QByteArray format;
    const mpv_byte_array* data = nullptr;
    for (int i = 0; i < result.u.list->num; ++i) {
      const char* key = result.u.list->keys[i];
      const mpv_node& value = result.u.list->values[i];
      if (qstrcmp(key, "w") == 0 && value.format == MPV_FORMAT_INT64) w = value.u.int64;
      if (qstrcmp(key, "h") == 0 && value.format == MPV_FORMAT_INT64) h = value.u.int64;
      if (qstrcmp(key, "stride") == 0 && value.format == MPV_FORMAT_INT64) stride = value.u.int64;
      if (qstrcmp(key, "format") == 0 && value.format == MPV_FORMAT_STRING) format = value.u.string;
      if (qstrcmp(key, "data") == 0 && value.format == MPV_FORMAT_BYTE_ARRAY) data = value.u.ba;
    }
    // mpv hands "bgr0": bytes B, G, R, unused = a little-endian 0xffRRGGBB word.
    if (format == "bgr0" && data && w > 0 && h > 0 && stride >= w * 4 &&
        static_cast<qint64>(data->size) >= stride * h) {
      const QImage view(static_cast<const uchar*>(data->data), static_cast<int>(w), static_cast<int>(h),
                        static_cast<qsizetype>(stride), QImage::Format_RGB32);
      image = view.copy();
    }
  }
  mpv_free_node_contents(&result);
  return image;
}

void CustomAVPlayer::setVideoZoom(double magnification, double centreX, double centreY) {
  if (!mpv_ || !(magnification > 0.0)) return;
  double zoom = std::log2(magnification);
  double panX = 0.5 - centreX;
  double panY = 0.5 - centreY;
  mpv_set_property(mpv_, "video-zoom", MPV_FORMAT_DOUBLE, &zoom);
  mpv_set_property(mpv_, "video-pan-x", MPV_FORMAT_DOUBLE, &panX);
  mpv_set_property(mpv_, "video-pan-y", MPV_FORMAT_DOUBLE, &panY);
}

QString CustomAVPlayer::mpvProperty(const char* name) const {
  if (!mpv_) return {};
  char* value = mpv_get_property_string(mpv_, name);
  if (!value) return {};
  const QString text = QString::fromUtf8(value);
  mpv_free(value);
  return text;
}

QString CustomAVPlayer::decoderInUse() const {
  const QString hardware = mpvProperty("hwdec-current");
  return hardware.isEmpty() || hardware == QLatin1String("no") ? QStringLiteral("software") : hardware;
}

void CustomAVPlayer::drainEvents() {
  drainQueued_ = false;
  while (mpv_) {
    mpv_event* event = mpv_wait_event(mpv_, 0);
    if (event->event_id == MPV_EVENT_NONE) break;
    handleEvent(event);
  }
}

void CustomAVPlayer::handleEvent(const mpv_event* event) {
  static const bool trace = qEnvironmentVariableIsSet("DASHCARD_MPV_TRACE");
  if (trace) {
    qDebug("mpv %p event %s loaded=%d seeking=%d rate=%g eof=%d", static_cast<void*>(this),
           mpv_event_name(event->event_id), loaded_, seeking_, rate_, eofSeen_);
  }
  switch (event->event_id) {
    case MPV_EVENT_START_FILE: {
      const auto* start = static_cast<const mpv_event_start_file*>(event->data);
      startedEntryId_ = static_cast<quint64>(start->playlist_entry_id);
      break;
    }
    case MPV_EVENT_FILE_LOADED: {
      if (entryId_ == 0 || startedEntryId_ != entryId_ || loaded_) break;
      loaded_ = true;
      double d = 0.0;
      if (mpv_get_property(mpv_, "duration", MPV_FORMAT_DOUBLE, &d) >= 0 && std::isfinite(d) && d > 0.0) {
        duration_ = d;
      }
      int64_t w = 0, h = 0;
      if (mpv_get_property(mpv_, "width", MPV_FORMAT_INT64, &w) >= 0 &&
          mpv_get_property(mpv_, "height", MPV_FORMAT_INT64, &h) >= 0 && w > 0 && h > 0) {
        videoSize_ = QSize(static_cast<int>(w), static_cast<int>(h));
      }
      applyPause();
      if (pendingSeek_ >= 0.0) {
        const double target = pendingSeek_;
        pendingSeek_ = -1.0;
        seek(target);
      }
      emit loaded();
      updateTickTimer();
      if (loaded_) emitTime();
      break;
    }
    case MPV_EVENT_END_FILE: {
      const auto* end = static_cast<const mpv_event_end_file*>(event->data);
      if (static_cast<quint64>(end->playlist_entry_id) != entryId_ || entryId_ == 0) break;
      if (end->reason == MPV_END_FILE_REASON_ERROR || (end->reason == MPV_END_FILE_REASON_EOF && !loaded_)) {
        tickTimer_.stop();
        loaded_ = false;
        error_ = QStringLiteral("%1 cannot be played: %2")
                     .arg(QFileInfo(path_).fileName(), QString::fromUtf8(mpv_error_string(end->error)));
        emit errorOccurred(error_);
      }
      break;
    }
    case MPV_EVENT_SEEK:
      if (seeking_) seekStarted_ = true;
      break;
    case MPV_EVENT_PLAYBACK_RESTART: {
      // The restart of the file's start is not the end of our seek.
      if (!seeking_ || !seekStarted_) break;
      seeking_ = false;
      seekStarted_ = false;
      if (rate_ != 0.0) seekHeld_ = false;
      // A seek to the end stands at the end: mpv does not always flag it.
      int eof = 0;
      const bool atEnd = duration_ > 0.0 && seekTarget_ >= duration_ - 0.001;
      if (loaded_ && (atEnd || (mpv_get_property(mpv_, "eof-reached", MPV_FORMAT_FLAG, &eof) >= 0 && eof))) {
        handleEof();
      }
      break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
      const auto* prop = static_cast<const mpv_event_property*>(event->data);
      if (event->reply_userdata == kEofReached && prop->format == MPV_FORMAT_FLAG) {
        const bool eof = *static_cast<int*>(prop->data) != 0;
        if (!loaded_ || !eof) break;
        // A seek that lands at the end may finish without a restart event.
        seeking_ = false;
        seekStarted_ = false;
        handleEof();
      }
      break;
    }
    default:
      break;
  }
}

void CustomAVPlayer::handleEof() {
  eofSeen_ = true;
  tickTimer_.stop();
  emitTime();
  if (!eofReported_ && rate_ != 0.0) {
    eofReported_ = true;
    emit endOfItem();
  }
}

void CustomAVPlayer::scheduleTime() {
  if (timeScheduled_) return;
  timeScheduled_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        timeScheduled_ = false;
        if (loaded_) emitTime();
      },
      Qt::QueuedConnection);
}

void CustomAVPlayer::emitTime() { emit timeChanged(position()); }

void CustomAVPlayer::updateTickTimer() {
  const bool run = loaded_ && rate_ != 0.0 && !eofSeen_;
  if (run && !tickTimer_.isActive()) tickTimer_.start();
  if (!run) tickTimer_.stop();
}

}  // namespace dashcard
