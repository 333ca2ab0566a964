#include "core/catalogue/video_frame_grabber.h"

#include <QFile>

#include <algorithm>
#include <cmath>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

namespace dashcard {
namespace {

// Frames decoded after a seek before giving up: a sane file reaches any
// time within a few GOPs.
constexpr int kMaxDecodedFrames = 3000;

// FFmpeg and its codec libraries are well over a hundred shared objects;
// linking them would make every start of the command-line tool pay for
// loading them. They are opened on the first grab instead, at the major
// versions the headers describe, so the ABI is the one compiled against.
#define DASHCARD_STRINGIFY_(x) #x
#define DASHCARD_STRINGIFY(x) DASHCARD_STRINGIFY_(x)
#define DASHCARD_FFMPEG_FUNCTIONS(X)        \
  X(avformat, avformat_open_input)          \
  X(avformat, avformat_find_stream_info)    \
  X(avformat, avformat_close_input)         \
  X(avformat, av_find_best_stream)          \
  X(avformat, av_guess_sample_aspect_ratio) \
  X(avformat, av_seek_frame)                \
  X(avformat, av_read_frame)                \
  X(avcodec, avcodec_alloc_context3)        \
  X(avcodec, avcodec_free_context)          \
  X(avcodec, avcodec_parameters_to_context) \
  X(avcodec, avcodec_open2)                 \
  X(avcodec, avcodec_flush_buffers)         \
  X(avcodec, avcodec_send_packet)           \
  X(avcodec, avcodec_receive_frame)         \
  X(avcodec, av_packet_alloc)               \
  X(avcodec, av_packet_free)                \
  X(avcodec, av_packet_unref)               \
  X(avutil, av_frame_alloc)                 \
  X(avutil, av_frame_free)                  \
  X(avutil, av_frame_unref)                 \
  X(avutil, av_frame_move_ref)              \
  X(avutil, av_strerror)                    \
  X(avutil, av_log_set_level)               \
  X(swscale, sws_getCachedContext)          \
  X(swscale, sws_freeContext)               \
  X(swscale, sws_setColorspaceDetails)      \
  X(swscale, sws_getCoefficients)           \
  X(swscale, sws_scale)

struct Ffmpeg {
#define DASHCARD_FFMPEG_MEMBER(library, name) decltype(&::name) name = nullptr;
  DASHCARD_FFMPEG_FUNCTIONS(DASHCARD_FFMPEG_MEMBER)
#undef DASHCARD_FFMPEG_MEMBER
  QString error;
  bool loaded() const { return error.isEmpty(); }
};

Ffmpeg loadFfmpeg() {
  Ffmpeg api;
  struct Library {
    const char* soname;
    void* handle;
  };
  Library avutil{"libavutil.so." DASHCARD_STRINGIFY(LIBAVUTIL_VERSION_MAJOR), nullptr};
  Library avcodec{"libavcodec.so." DASHCARD_STRINGIFY(LIBAVCODEC_VERSION_MAJOR), nullptr};
  Library avformat{"libavformat.so." DASHCARD_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR), nullptr};
  Library swscale{"libswscale.so." DASHCARD_STRINGIFY(LIBSWSCALE_VERSION_MAJOR), nullptr};
  for (Library* library : {&avutil, &avcodec, &avformat, &swscale}) {
    // Never closed: the libraries stay for the life of the process.
    library->handle = ::dlopen(library->soname, RTLD_NOW | RTLD_LOCAL);
    if (library->handle == nullptr) {
      api.error = QStringLiteral("cannot load %1 (%2); install FFmpeg's libraries")
                      .arg(QString::fromLatin1(library->soname), QString::fromLocal8Bit(::dlerror()));
      return api;
    }
  }
#define DASHCARD_FFMPEG_RESOLVE(library, name)                                                                  \
  api.name = reinterpret_cast<decltype(&::name)>(::dlsym(library.handle, #name));                               \
  if (api.name == nullptr) {                                                                                    \
    api.error = QStringLiteral("%1 has no %2").arg(QString::fromLatin1(library.soname), QStringLiteral(#name)); \
    return api;                                                                                                 \
  }
  DASHCARD_FFMPEG_FUNCTIONS(DASHCARD_FFMPEG_RESOLVE)
#undef DASHCARD_FFMPEG_RESOLVE
  api.av_log_set_level(AV_LOG_QUIET);
  return api;
}

const Ffmpeg& ffmpeg() {
  static const Ffmpeg api = loadFfmpeg();
  return api;
}

struct FrameDeleter {
  void operator()(AVFrame* frame) const { ffmpeg().av_frame_free(&frame); }
};
struct PacketDeleter {
  void operator()(AVPacket* packet) const { ffmpeg().av_packet_free(&packet); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

QString averror(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  ffmpeg().av_strerror(code, text, sizeof text);
  return QString::fromUtf8(text);
}

}  // namespace

struct VideoFrameGrabber::Impl {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  SwsContext* sws = nullptr;
  int stream = -1;
  QString error;

  const Ffmpeg& ff = ffmpeg();

  ~Impl() {
    if (!ff.loaded()) {
      return;
    }
    ff.sws_freeContext(sws);
    ff.avcodec_free_context(&codec);
    ff.avformat_close_input(&format);
  }

  bool open(const QString& path) {
    if (!ff.loaded()) {
      error = ff.error;
      return false;
    }
    // FFmpeg opens without O_NONBLOCK: a FIFO or a device would hang it.
    // The file is opened here first, without blocking, and FFmpeg opens
    // that very file through its handle, so nothing put in its place since
    // the look can reach FFmpeg.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      if (fd >= 0) {
        ::close(fd);
      }
      error = QStringLiteral("%1 is not a regular file").arg(path);
      return false;
    }
    const QByteArray handle = "/proc/self/fd/" + QByteArray::number(fd);
    int result = ff.avformat_open_input(&format, handle.constData(), nullptr, nullptr);
    ::close(fd);
    if (result < 0) {
      error = QStringLiteral("cannot open %1: %2").arg(path, averror(result));
      format = nullptr;
      return false;
    }
    result = ff.avformat_find_stream_info(format, nullptr);
    if (result < 0) {
      error = QStringLiteral("cannot read %1: %2").arg(path, averror(result));
      return false;
    }
    const AVCodec* decoder = nullptr;
    stream = ff.av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream < 0 || decoder == nullptr) {
      error = QStringLiteral("%1 holds no video stream").arg(path);
      stream = -1;
      return false;
    }
    codec = ff.avcodec_alloc_context3(decoder);
    if (codec == nullptr || ff.avcodec_parameters_to_context(codec, format->streams[stream]->codecpar) < 0) {
      error = QStringLiteral("cannot set up the decoder for %1").arg(path);
      return false;
    }
    // Callers grab from several files at once; one thread per file is enough.
    codec->thread_count = 1;
    result = ff.avcodec_open2(codec, decoder, nullptr);
    if (result < 0) {
      error = QStringLiteral("cannot open the decoder for %1: %2").arg(path, averror(result));
      ff.avcodec_free_context(&codec);
      return false;
    }
    return true;
  }

  double seconds(int64_t timestamp) const {
    const AVStream* s = format->streams[stream];
    const int64_t start = s->start_time == AV_NOPTS_VALUE ? 0 : s->start_time;
    return static_cast<double>(timestamp - start) * av_q2d(s->time_base);
  }

  QSize displaySize() const {
    if (codec == nullptr || codec->width <= 0 || codec->height <= 0) {
      return {};
    }
    AVRational sar = ff.av_guess_sample_aspect_ratio(format, format->streams[stream], nullptr);
    int width = codec->width;
    if (sar.num > 0 && sar.den > 0 && sar.num != sar.den) {
      width = static_cast<int>(std::lround(static_cast<double>(codec->width) * av_q2d(sar)));
    }
    return {std::max(1, width), codec->height};
  }

  QImage convert(const AVFrame* frame, QSize maxSize) {
    QSize full = displaySize();
    if (full.isEmpty()) {
      full = QSize(frame->width, frame->height);
    }
    QSize target = full;
    if (!maxSize.isEmpty()) {
      target = full.scaled(maxSize, Qt::KeepAspectRatio);
      target = target.expandedTo(QSize(1, 1));
    }
    sws = ff.sws_getCachedContext(sws, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                  target.width(), target.height(), AV_PIX_FMT_BGRA,
                                  target == full ? SWS_BICUBIC : SWS_AREA, nullptr, nullptr, nullptr);
    if (sws == nullptr) {
      return {};
    }
    // The player converts HD pictures with BT.709 and smaller ones with
    // BT.601 unless the stream says otherwise; so do we.
    int space = SWS_CS_ITU601;
    if (frame->colorspace == AVCOL_SPC_BT709 || (frame->colorspace == AVCOL_SPC_UNSPECIFIED && frame->height >= 720)) {
      space = SWS_CS_ITU709;
    }
    const int sourceRange = frame->color_range == AVCOL_RANGE_JPEG ? 1 : 0;
    ff.sws_setColorspaceDetails(sws, ff.sws_getCoefficients(space), sourceRange, ff.sws_getCoefficients(SWS_CS_DEFAULT),
                                1, 0, 1 << 16, 1 << 16);
    QImage image(target, QImage::Format_RGB32);
    if (image.isNull()) {
      return {};
    }
    uint8_t* planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    if (ff.sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides) <= 0) {
      return {};
    }
    return image;
  }
};

VideoFrameGrabber::VideoFrameGrabber(const QString& path) : impl_(std::make_unique<Impl>()) {
  if (!impl_->open(path)) {
    impl_->sws = nullptr;
  }
}

VideoFrameGrabber::~VideoFrameGrabber() = default;

bool VideoFrameGrabber::isOpen() const { return impl_->codec != nullptr; }

QString VideoFrameGrabber::errorString() const { return impl_->error; }

double VideoFrameGrabber::duration() const {
  if (impl_->format == nullptr) {
    return 0.0;
  }
  if (impl_->format->duration > 0) {
    return static_cast<double>(impl_->format->duration) / AV_TIME_BASE;
  }
  if (impl_->stream >= 0) {
    const AVStream* s = impl_->format->streams[impl_->stream];
    if (s->duration > 0) {
      return static_cast<double>(s->duration) * av_q2d(s->time_base);
    }
  }
  return 0.0;
}

QSize VideoFrameGrabber::frameSize() const { return impl_->displaySize(); }

QImage VideoFrameGrabber::frameAt(double seconds, QSize maxSize, double* frameSeconds) {
  if (!isOpen()) {
    return {};
  }
  Impl& d = *impl_;
  const Ffmpeg& ff = d.ff;
  AVStream* stream = d.format->streams[d.stream];
  seconds = std::max(0.0, seconds);
  const int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
  const int64_t target = start + static_cast<int64_t>(std::floor(seconds / av_q2d(stream->time_base)));
  if (ff.av_seek_frame(d.format, d.stream, target, AVSEEK_FLAG_BACKWARD) < 0) {
    // Some files cannot seek; reading from where we are still works for
    // the first call.
    ff.av_seek_frame(d.format, -1, 0, AVSEEK_FLAG_BACKWARD);
  }
  ff.avcodec_flush_buffers(d.codec);

  PacketPtr packet(ff.av_packet_alloc());
  FramePtr frame(ff.av_frame_alloc());
  FramePtr last(ff.av_frame_alloc());
  if (!packet || !frame || !last) {
    return {};
  }
  bool haveLast = false;
  bool draining = false;
  int decoded = 0;
  // Half a tick of tolerance so a frame stamped 0.99999 s counts as 1.0 s.
  const double wanted = seconds - 0.0005;
  while (decoded < kMaxDecodedFrames) {
    int result = ff.avcodec_receive_frame(d.codec, frame.get());
    if (result == 0) {
      ++decoded;
      const int64_t pts = frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
      const double at = pts == AV_NOPTS_VALUE ? seconds : d.seconds(pts);
      if (at >= wanted) {
        if (frameSeconds != nullptr) {
          *frameSeconds = at;
        }
        return d.convert(frame.get(), maxSize);
      }
      ff.av_frame_unref(last.get());
      ff.av_frame_move_ref(last.get(), frame.get());
      haveLast = true;
      if (frameSeconds != nullptr) {
        *frameSeconds = at;
      }
      continue;
    }
    if (result == AVERROR_EOF) {
      break;
    }
    if (result != AVERROR(EAGAIN)) {
      break;
    }
    if (draining) {
      break;
    }
    result = ff.av_read_frame(d.format, packet.get());
    if (result < 0) {
      // End of file (or a read error on a vanished card): drain what is buffered.
      draining = true;
      ff.avcodec_send_packet(d.codec, nullptr);
      continue;
    }
    if (packet->stream_index == d.stream) {
      const int sent = ff.avcodec_send_packet(d.codec, packet.get());
      if (sent < 0 && sent != AVERROR(EAGAIN)) {
        // A damaged packet: skip it and go on with the next one.
        ff.av_packet_unref(packet.get());
        continue;
      }
    }
    ff.av_packet_unref(packet.get());
  }
  return haveLast ? d.convert(last.get(), maxSize) : QImage();
}

}  // namespace dashcard
