#include "core/media/video_frame_grabber.h"

#include "core/media/ffmpeg_pointers.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

namespace dashcard {
namespace {

using namespace ffmpeg;

// Frames decoded after a seek before giving up: a sane file reaches any
// time within a few GOPs.
constexpr int kMaxDecodedFrames = 3000;

}  // namespace

struct VideoFrameGrabber::Impl {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  SwsContext* sws = nullptr;
  int stream = -1;
  QString error;

  ~Impl() {
    sws_freeContext(sws);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }

  bool open(const QString& path) {
    int result = ffmpeg::openRegularInput(&format, path);
    if (result == ffmpeg::kNotRegularFile) {
      error = QStringLiteral("%1 is not a regular file").arg(path);
      format = nullptr;
      return false;
    }
    if (result < 0) {
      error = QStringLiteral("cannot open %1: %2").arg(path, errorText(result));
      format = nullptr;
      return false;
    }
    result = avformat_find_stream_info(format, nullptr);
    if (result < 0) {
      error = QStringLiteral("cannot read %1: %2").arg(path, errorText(result));
      return false;
    }
    const AVCodec* decoder = nullptr;
    stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream < 0 || decoder == nullptr) {
      error = QStringLiteral("%1 holds no video stream").arg(path);
      stream = -1;
      return false;
    }
    codec = avcodec_alloc_context3(decoder);
    if (codec == nullptr || avcodec_parameters_to_context(codec, format->streams[stream]->codecpar) < 0) {
      error = QStringLiteral("cannot set up the decoder for %1").arg(path);
      return false;
    }
    // Callers grab from several files at once; one thread per file is enough.
    codec->thread_count = 1;
    result = avcodec_open2(codec, decoder, nullptr);
    if (result < 0) {
      error = QStringLiteral("cannot open the decoder for %1: %2").arg(path, errorText(result));
      avcodec_free_context(&codec);
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
    AVRational sar = av_guess_sample_aspect_ratio(format, format->streams[stream], nullptr);
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
    sws = sws_getCachedContext(sws, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
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
    sws_setColorspaceDetails(sws, sws_getCoefficients(space), sourceRange, sws_getCoefficients(SWS_CS_DEFAULT), 1, 0,
                             1 << 16, 1 << 16);
    QImage image(target, QImage::Format_RGB32);
    if (image.isNull()) {
      return {};
    }
    uint8_t* planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    if (sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides) <= 0) {
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
  AVStream* stream = d.format->streams[d.stream];
  seconds = std::max(0.0, seconds);
  const int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
  const int64_t target = start + static_cast<int64_t>(std::floor(seconds / av_q2d(stream->time_base)));
  if (av_seek_frame(d.format, d.stream, target, AVSEEK_FLAG_BACKWARD) < 0) {
    // Some files cannot seek; reading from where we are still works for
    // the first call.
    av_seek_frame(d.format, -1, 0, AVSEEK_FLAG_BACKWARD);
  }
  avcodec_flush_buffers(d.codec);

  PacketPtr packet = newPacket();
  FramePtr frame = newFrame();
  FramePtr last = newFrame();
  if (!packet || !frame || !last) {
    return {};
  }
  bool haveLast = false;
  bool draining = false;
  int decoded = 0;
  // Half a tick of tolerance so a frame stamped 0.99999 s counts as 1.0 s.
  const double wanted = seconds - 0.0005;
  while (decoded < kMaxDecodedFrames) {
    int result = avcodec_receive_frame(d.codec, frame.get());
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
      av_frame_unref(last.get());
      av_frame_move_ref(last.get(), frame.get());
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
    result = av_read_frame(d.format, packet.get());
    if (result < 0) {
      // End of file (or a read error on a vanished card): drain what is buffered.
      draining = true;
      avcodec_send_packet(d.codec, nullptr);
      continue;
    }
    if (packet->stream_index == d.stream) {
      const int sent = avcodec_send_packet(d.codec, packet.get());
      if (sent < 0 && sent != AVERROR(EAGAIN)) {
        // A damaged packet: skip it and go on with the next one.
        av_packet_unref(packet.get());
        continue;
      }
    }
    av_packet_unref(packet.get());
  }
  return haveLast ? d.convert(last.get(), maxSize) : QImage();
}

}  // namespace dashcard
