#include "core/media/video_span_writer.h"

#include "core/common/atomic_file.h"
#include "core/common/hardware_decoding.h"
#include "core/media/ffmpeg_pointers.h"

#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/hwcontext.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

namespace dashcard {
namespace {

// A pause between clips longer than this stays in the file as a held picture;
// shorter ones are the rounding of the clips' start times and are closed.
constexpr double kGapSeconds = 1.0;
constexpr AVRational kMicroseconds{1, 1000000};

using namespace ffmpeg;

struct GraphFreer {
  void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};
using GraphPtr = std::unique_ptr<AVFilterGraph, GraphFreer>;

QString fileName(const QString& path) { return QFileInfo(path).fileName(); }

// The reason a step failed; carried out of the nested loops as an exception
// would be, but explicitly.
struct Failure {
  QString text;
};

// Opens a clip; only regular files are read.
std::optional<Failure> openInput(const QString& path, InputPtr* input) {
  AVFormatContext* context = nullptr;
  int result = ffmpeg::openRegularInput(&context, path);
  if (result == ffmpeg::kNotRegularFile) {
    return Failure{QStringLiteral("The video %1 is missing.").arg(path)};
  }
  if (result < 0) {
    return Failure{QStringLiteral("Cannot read the video %1: %2").arg(fileName(path), errorText(result))};
  }
  input->reset(context);
  result = avformat_find_stream_info(context, nullptr);
  if (result < 0) {
    return Failure{QStringLiteral("Cannot read the video %1: %2").arg(fileName(path), errorText(result))};
  }
  return std::nullopt;
}

int bestStream(AVFormatContext* input, AVMediaType type) {
  return std::max(-1, av_find_best_stream(input, type, -1, -1, nullptr, 0));
}

double seconds(int64_t ticks, AVRational base) { return static_cast<double>(ticks) * av_q2d(base); }

// The first timestamp of a stream (0 when unknown).
int64_t firstTimestamp(const AVStream* stream) { return stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0; }

// True when the packets read stopped well before the length the file's
// index declares: a clip cut short (the card pulled while recording).
bool endsEarly(const AVStream* stream, int64_t lastPacketEnd) {
  if (stream->duration <= 0 || lastPacketEnd == AV_NOPTS_VALUE) return false;
  const int64_t declared = firstTimestamp(stream) + stream->duration;
  const AVRational rate = stream->avg_frame_rate;
  const double frame = rate.num > 0 ? static_cast<double>(rate.den) / rate.num : 0.05;
  return seconds(declared - lastPacketEnd, stream->time_base) > 2.0 * frame;
}

QString endsEarlyText(const QString& path) {
  return QStringLiteral("The video %1 is damaged: it ends before its recorded length.").arg(fileName(path));
}

// The muxer writing into the caller's atomic file, through a custom I/O
// context (the MP4 index is patched at the end, so it seeks).
class Output {
 public:
  explicit Output(AtomicFileWriter& file) : file_(file) {}
  ~Output() {
    if (context_ != nullptr) {
      if (context_->pb != nullptr) {
        av_freep(&context_->pb->buffer);
        avio_context_free(&context_->pb);
      }
      avformat_free_context(context_);
    }
  }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  std::optional<Failure> create() {
    if (avformat_alloc_output_context2(&context_, nullptr, "mp4", nullptr) < 0 || context_ == nullptr) {
      return Failure{QStringLiteral("The MP4 writer of FFmpeg is missing.")};
    }
    constexpr int kBufferSize = 1 << 16;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    context_->pb = avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, &Output::writePacket, &Output::seek);
    if (context_->pb == nullptr) {
      av_free(buffer);
      return Failure{QStringLiteral("Out of memory.")};
    }
    context_->flags |= AVFMT_FLAG_CUSTOM_IO;
    return std::nullopt;
  }
  AVFormatContext* context() const { return context_; }
  AVStream* addStream(const AVCodecParameters* parameters, AVRational timeBase) {
    AVStream* stream = avformat_new_stream(context_, nullptr);
    if (stream == nullptr || avcodec_parameters_copy(stream->codecpar, parameters) < 0) return nullptr;
    stream->codecpar->codec_tag = 0;
    stream->time_base = timeBase;
    return stream;
  }
  std::optional<Failure> begin() {
    const int result = avformat_write_header(context_, nullptr);
    if (result < 0) return failure(result);
    started_ = true;
    return std::nullopt;
  }
  // Takes the packet's data; timestamps already in the output stream's base.
  std::optional<Failure> write(AVPacket* packet) {
    const int result = av_interleaved_write_frame(context_, packet);
    if (result < 0) return failure(result);
    return std::nullopt;
  }
  std::optional<Failure> finish() {
    if (!started_) return Failure{QStringLiteral("The span holds no picture.")};
    const int result = av_write_trailer(context_);
    avio_flush(context_->pb);
    if (result < 0 || context_->pb->error < 0) return failure(result < 0 ? result : context_->pb->error);
    return std::nullopt;
  }

 private:
  Failure failure(int code) const {
    // A write error of the file (full disk) says more than FFmpeg's echo of it.
    if (ioError_ != 0) return Failure{QStringLiteral("Cannot write the video: %1").arg(errorText(ioError_))};
    return Failure{QStringLiteral("Cannot write the video: %1").arg(errorText(code))};
  }
  static int writePacket(void* opaque, uint8_t* data, int size) {
    auto* self = static_cast<Output*>(opaque);
    if (!self->file_.write(reinterpret_cast<const char*>(data), size)) {
      self->ioError_ = AVERROR(self->file_.lastError() != 0 ? self->file_.lastError() : EIO);
      return self->ioError_;
    }
    return size;
  }
  static int64_t seek(void* opaque, int64_t offset, int whence) {
    auto* self = static_cast<Output*>(opaque);
    if ((whence & AVSEEK_SIZE) != 0) return self->file_.size();
    const qint64 position = self->file_.seek(offset, whence & ~AVSEEK_FORCE);
    return position < 0 ? AVERROR(EIO) : position;
  }

  AtomicFileWriter& file_;
  AVFormatContext* context_ = nullptr;
  bool started_ = false;
  int ioError_ = 0;
};

// Writes packets with rising timestamps: each stream's decode times must
// rise strictly; rounding at a join could repeat one.
class StreamClock {
 public:
  void stamp(AVPacket* packet) {
    if (packet->dts == AV_NOPTS_VALUE) packet->dts = packet->pts;
    if (lastDts_ != AV_NOPTS_VALUE && packet->dts <= lastDts_) {
      const int64_t shift = lastDts_ + 1 - packet->dts;
      packet->dts += shift;
      if (packet->pts != AV_NOPTS_VALUE && packet->pts < packet->dts) packet->pts = packet->dts;
    }
    lastDts_ = packet->dts;
  }

 private:
  int64_t lastDts_ = AV_NOPTS_VALUE;
};

// The H.264 parameter sets of an avcC record, as length-prefixed NAL units
// (4-byte lengths); empty when the record is not avcC with 4-byte lengths.
QByteArray avccParameterSets(const AVCodecParameters* parameters) {
  const auto* data = parameters->extradata;
  const int size = parameters->extradata_size;
  if (data == nullptr || size < 7 || data[0] != 1 || (data[4] & 3) != 3) return {};
  QByteArray out;
  int at = 5;
  for (int list = 0; list < 2 && at < size; ++list) {
    const int count = list == 0 ? (data[at] & 0x1f) : data[at];
    ++at;
    for (int i = 0; i < count; ++i) {
      if (at + 2 > size) return {};
      const int length = (data[at] << 8) | data[at + 1];
      at += 2;
      if (at + length > size) return {};
      const char prefix[4] = {0, 0, static_cast<char>(length >> 8), static_cast<char>(length & 0xff)};
      out.append(prefix, 4);
      out.append(reinterpret_cast<const char*>(data + at), length);
      at += length;
    }
  }
  return out;
}

// Annex B (start codes) to 4-byte length prefixes, for encoder output joining
// copied MP4 packets.
QByteArray annexBToLengthPrefixed(const uint8_t* data, int size) {
  QByteArray out;
  int i = 0;
  auto nextStart = [&](int from, int* codeLength) {
    for (int k = from; k + 3 <= size; ++k) {
      if (data[k] == 0 && data[k + 1] == 0 && data[k + 2] == 1) {
        *codeLength = 3;
        return k;
      }
      if (k + 4 <= size && data[k] == 0 && data[k + 1] == 0 && data[k + 2] == 0 && data[k + 3] == 1) {
        *codeLength = 4;
        return k;
      }
    }
    *codeLength = 0;
    return size;
  };
  int codeLength = 0;
  i = nextStart(0, &codeLength);
  while (i < size) {
    const int begin = i + codeLength;
    const int end = nextStart(begin, &codeLength);
    int last = end;
    while (last > begin && data[last - 1] == 0) --last;  // trailing zero bytes
    const int length = last - begin;
    if (length > 0) {
      const char prefix[4] = {static_cast<char>(length >> 24), static_cast<char>(length >> 16),
                              static_cast<char>(length >> 8), static_cast<char>(length)};
      out.append(prefix, 4);
      out.append(reinterpret_cast<const char*>(data + begin), length);
    }
    i = end;
  }
  return out;
}

// One picture's time in the encoder's time base (the last picture's
// length in the file comes from it).
int64_t frameTicks(const AVCodecContext* encoder) {
  const AVRational rate = encoder->framerate;
  if (rate.num <= 0 || rate.den <= 0) return 1;
  return std::max<int64_t>(1, av_rescale_q(1, av_inv_q(rate), encoder->time_base));
}

struct BufferUnref {
  void operator()(AVBufferRef* buffer) const { av_buffer_unref(&buffer); }
};
using BufferPtr = std::unique_ptr<AVBufferRef, BufferUnref>;

// The first hardware decoding device FFmpeg can open; null when none is
// present (no device, no driver), and the export decodes in software.
BufferPtr openHardwareDevice() {
  for (const AVHWDeviceType type : {AV_HWDEVICE_TYPE_VAAPI, AV_HWDEVICE_TYPE_VDPAU, AV_HWDEVICE_TYPE_CUDA}) {
    AVBufferRef* device = nullptr;
    if (av_hwdevice_ctx_create(&device, type, nullptr, nullptr, 0) == 0) return BufferPtr(device);
  }
  return nullptr;
}

// `hardware`: a device to decode on. FFmpeg's default format choice takes
// the device's pictures where the decoder offers them for it and software
// ones otherwise; a decoder that will not open with it opens without.
std::optional<Failure> openDecoder(const AVStream* stream, CodecPtr* decoder, const QString& path,
                                   AVBufferRef* hardware = nullptr) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (codec == nullptr) return Failure{QStringLiteral("No decoder for the video %1.").arg(fileName(path))};
  const auto open = [&](AVBufferRef* device) {
    decoder->reset(avcodec_alloc_context3(codec));
    if (!*decoder || avcodec_parameters_to_context(decoder->get(), stream->codecpar) < 0) return AVERROR(ENOMEM);
    (*decoder)->thread_count = 0;
    (*decoder)->pkt_timebase = stream->time_base;
    if (device != nullptr) (*decoder)->hw_device_ctx = av_buffer_ref(device);
    return avcodec_open2(decoder->get(), codec, nullptr);
  };
  int result = open(hardware);
  if (result < 0 && hardware != nullptr) result = open(nullptr);
  if (result == AVERROR(ENOMEM)) return Failure{QStringLiteral("Out of memory.")};
  if (result >= 0) return std::nullopt;
  return Failure{QStringLiteral("Cannot decode %1: %2").arg(fileName(path), errorText(result))};
}

// libx264 at a fast preset; no global header, so key frames carry their
// parameter sets (needed where encoded pictures join copied ones).
std::optional<Failure> openEncoder(int width, int height, AVPixelFormat format, AVRational timeBase,
                                   AVRational frameRate, bool globalHeader, const char* crf, CodecPtr* encoder) {
  const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
  if (codec == nullptr) return Failure{QStringLiteral("FFmpeg was built without the H.264 encoder (libx264).")};
  encoder->reset(avcodec_alloc_context3(codec));
  if (!*encoder) return Failure{QStringLiteral("Out of memory.")};
  AVCodecContext* context = encoder->get();
  context->width = width;
  context->height = height;
  context->pix_fmt = format;
  context->time_base = timeBase;
  if (frameRate.num > 0 && frameRate.den > 0) context->framerate = frameRate;
  context->sample_aspect_ratio = AVRational{1, 1};
  context->thread_count = 0;
  context->max_b_frames = 0;
  if (globalHeader) context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  av_opt_set(context->priv_data, "preset", "veryfast", 0);
  av_opt_set(context->priv_data, "crf", crf, 0);
  const int result = avcodec_open2(context, codec, nullptr);
  if (result < 0) return Failure{QStringLiteral("Cannot start the H.264 encoder: %1").arg(errorText(result))};
  return std::nullopt;
}

// --- Copy ---------------------------------------------------------------

class CopyJob {
 public:
  CopyJob(const QList<VideoSpanWriter::Clip>& clips, const QDateTime& from, const QDateTime& to,
          const VideoSpanWriter::Options& options, Output& output, const std::atomic<bool>& cancel,
          const VideoSpanWriter::Progress& progress)
      : clips_(clips), from_(from), to_(to), options_(options), output_(output), cancel_(cancel), progress_(progress) {}

  std::optional<Failure> run() {
    for (qsizetype k = 0; k < clips_.size() && !done_; ++k) {
      if (auto failure = copyClip(clips_.at(k), k == 0)) return failure;
    }
    if (!wallOrigin_.isValid()) return Failure{QStringLiteral("The span holds no picture.")};
    return output_.finish();
  }

 private:
  struct Gop {
    std::vector<PacketPtr> packets;
    int64_t start = AV_NOPTS_VALUE;  // the key frame's presentation time
  };

  std::optional<Failure> copyClip(const VideoSpanWriter::Clip& clip, bool first) {
    InputPtr input;
    if (auto failure = openInput(clip.videoPath, &input)) return failure;
    path_ = clip.videoPath;
    const int video = bestStream(input.get(), AVMEDIA_TYPE_VIDEO);
    if (video < 0) return Failure{QStringLiteral("The file %1 holds no video.").arg(fileName(clip.videoPath))};
    const int audio = options_.keepSound ? bestStream(input.get(), AVMEDIA_TYPE_AUDIO) : -1;
    videoIn_ = input->streams[video];
    audioIn_ = audio >= 0 ? input->streams[audio] : nullptr;
    if (auto failure = setUpOutput(first)) return failure;
    if (!sameLayout(videoIn_->codecpar, firstVideo_)) {
      return Failure{QStringLiteral("The video %1 differs in picture size or format from the clip before; export "
                                    "side by side or a shorter span.")
                         .arg(fileName(clip.videoPath))};
    }
    // A clip whose parameter sets differ from the first one's carries its own in band.
    inBandParameterSets_.clear();
    const AVCodecParameters* ref = firstVideo_;
    const AVCodecParameters* now = videoIn_->codecpar;
    if (now->extradata_size != ref->extradata_size ||
        (now->extradata_size > 0 &&
         std::memcmp(now->extradata, ref->extradata, static_cast<size_t>(now->extradata_size)) != 0)) {
      inBandParameterSets_ = avccParameterSets(now);
    }

    const AVRational base = videoIn_->time_base;
    const int64_t origin = firstTimestamp(videoIn_);
    clipStart_ = clip.start;
    localFrom_ =
        origin + static_cast<int64_t>(std::floor(seconds(clip.start.msecsTo(from_), {1, 1000}) / av_q2d(base)));
    localTo_ = origin + static_cast<int64_t>(std::ceil(seconds(clip.start.msecsTo(to_), {1, 1000}) / av_q2d(base)));
    if (first && localFrom_ > origin) {
      av_seek_frame(input.get(), video, localFrom_, AVSEEK_FLAG_BACKWARD);
    }
    clipOrigin_ = AV_NOPTS_VALUE;
    videoEnd_ = 0;
    audioQueue_.clear();
    decoder_.reset();
    Gop gop;
    PacketPtr packet = newPacket();
    int result = 0;
    int64_t lastRead = AV_NOPTS_VALUE;
    while ((result = av_read_frame(input.get(), packet.get())) >= 0) {
      if (cancel_.load()) return Failure{QStringLiteral("Cancelled.")};
      if (packet->stream_index == audio && audio >= 0) {
        const bool past =
            done_ && seconds(packet->pts, audioIn_->time_base) >= seconds(audioStop_, videoIn_->time_base);
        audioQueue_.push_back(std::move(packet));
        packet = newPacket();
        if (past) break;
        continue;
      }
      if (done_ && audio < 0) break;
      if (packet->stream_index != video || done_) {
        av_packet_unref(packet.get());
        continue;
      }
      if (packet->pts == AV_NOPTS_VALUE) packet->pts = packet->dts;
      if (packet->pts != AV_NOPTS_VALUE) {
        lastRead = std::max(lastRead == AV_NOPTS_VALUE ? packet->pts : lastRead, packet->pts + packet->duration);
      }
      if ((packet->flags & AV_PKT_FLAG_KEY) != 0) {
        if (!gop.packets.empty()) {
          if (auto failure = flushGop(gop, packet->pts)) return failure;
        }
        gop = Gop{};
        gop.start = packet->pts;
      }
      if (gop.start != AV_NOPTS_VALUE) gop.packets.push_back(std::move(packet));
      packet = newPacket();
    }
    if (result < 0 && result != AVERROR_EOF) {
      return Failure{QStringLiteral("The video %1 is damaged: %2").arg(fileName(clip.videoPath), errorText(result))};
    }
    if (!done_ && endsEarly(videoIn_, lastRead)) return Failure{endsEarlyText(clip.videoPath)};
    if (!gop.packets.empty() && !done_) {
      const AVPacket* last = gop.packets.back().get();
      int64_t end = last->pts + std::max<int64_t>(last->duration, 1);
      for (const PacketPtr& p : gop.packets) end = std::max(end, p->pts + std::max<int64_t>(p->duration, 1));
      if (auto failure = flushGop(gop, end)) return failure;
    }
    if (clipOrigin_ != AV_NOPTS_VALUE) {
      if (auto failure = writeAudio(done_ ? audioStop_ : videoEnd_)) return failure;
      outEndUs_ = offsetUs_ + av_rescale_q(videoEnd_ - clipOrigin_, base, kMicroseconds);
    }
    return std::nullopt;
  }

  std::optional<Failure> setUpOutput(bool first) {
    if (!first) return std::nullopt;
    videoOut_ = output_.addStream(videoIn_->codecpar, videoIn_->time_base);
    if (videoOut_ == nullptr) return Failure{QStringLiteral("Out of memory.")};
    firstVideoHolder_.reset(avcodec_parameters_alloc());
    avcodec_parameters_copy(firstVideoHolder_.get(), videoIn_->codecpar);
    firstVideo_ = firstVideoHolder_.get();
    if (audioIn_ != nullptr) {
      audioOut_ = output_.addStream(audioIn_->codecpar, audioIn_->time_base);
      if (audioOut_ == nullptr) return Failure{QStringLiteral("Out of memory.")};
    }
    if (options_.exact) {
      sourceParameterSets_ = avccParameterSets(videoIn_->codecpar);
      if (videoIn_->codecpar->codec_id != AV_CODEC_ID_H264 || sourceParameterSets_.isEmpty()) {
        return Failure{QStringLiteral("An exact cut needs H.264 clips in MP4; export without the exact cut.")};
      }
    }
    return output_.begin();
  }

  static bool sameLayout(const AVCodecParameters* a, const AVCodecParameters* b) {
    return a->codec_id == b->codec_id && a->width == b->width && a->height == b->height && a->format == b->format;
  }

  // One group of pictures [gop.start, end) of the current clip: copied whole,
  // left out, or (exact) its part inside the span re-encoded.
  std::optional<Failure> flushGop(Gop& gop, int64_t end) {
    const int64_t begin = gop.start;
    if (end <= localFrom_ && end > begin) {
      // Wholly before the span (a clip read from its start).
      gop.packets.clear();
      return std::nullopt;
    }
    if (begin >= localTo_ || (overlapsWrittenPart(begin))) {
      if (begin >= localTo_) {
        done_ = true;
        audioStop_ = begin;
      }
      gop.packets.clear();
      return std::nullopt;
    }
    const bool headCut = options_.exact && begin < localFrom_;
    const bool tailCut = options_.exact && end > localTo_;
    if (end > localTo_) done_ = true;  // the last group: key frame at or after the end follows
    if (headCut || tailCut) {
      if (auto failure = reencode(gop, std::max(begin, localFrom_), std::min(end, localTo_))) return failure;
    } else {
      bool firstPacket = true;
      for (PacketPtr& packet : gop.packets) {
        if (firstPacket && needParameterSets_) prependParameterSets(packet.get(), sourceParameterSets_);
        if (firstPacket && !inBandParameterSets_.isEmpty()) prependParameterSets(packet.get(), inBandParameterSets_);
        firstPacket = false;
        if (auto failure = writeVideo(packet.get())) return failure;
      }
      needParameterSets_ = false;
      videoEnd_ = std::max(videoEnd_, end);
    }
    gop.packets.clear();
    if (done_) {
      // The sound after the last picture may come later in the file.
      audioStop_ = options_.exact ? std::min(end, localTo_) : end;
      return std::nullopt;
    }
    if (auto failure = writeAudio(end)) return failure;
    if (progress_) progress_(clipFraction(end));
    return std::nullopt;
  }

  // How much of the span lies before `end` (video ticks of the clip).
  double clipFraction(int64_t end) const {
    const double span = std::max(0.001, from_.msecsTo(to_) / 1000.0);
    const double at = from_.msecsTo(clipStart_) / 1000.0 + seconds(end - firstTimestamp(videoIn_), videoIn_->time_base);
    return std::clamp(at / span, 0.0, 1.0);
  }

  // A later clip that starts inside what an earlier one covered (an event
  // copy of a normal clip) only adds what comes after.
  bool overlapsWrittenPart(int64_t begin) const {
    if (clipOrigin_ != AV_NOPTS_VALUE || outEndUs_ == 0 || !wallOrigin_.isValid()) return false;
    const qint64 atMs = clipStart_.msecsTo(wallOrigin_) * -1 +
                        static_cast<qint64>(seconds(begin - firstTimestamp(videoIn_), videoIn_->time_base) * 1000.0);
    return atMs < outEndUs_ / 1000 - static_cast<qint64>(kGapSeconds * 1000);
  }

  static void prependParameterSets(AVPacket* packet, const QByteArray& sets) {
    if (sets.isEmpty()) return;
    QByteArray joined = sets;
    joined.append(reinterpret_cast<const char*>(packet->data), packet->size);
    replaceData(packet, joined);
  }

  static void replaceData(AVPacket* packet, const QByteArray& data) {
    PacketPtr fresh = newPacket();
    av_new_packet(fresh.get(), static_cast<int>(data.size()));
    std::memcpy(fresh->data, data.constData(), static_cast<size_t>(data.size()));
    av_packet_copy_props(fresh.get(), packet);
    av_packet_unref(packet);
    av_packet_move_ref(packet, fresh.get());
  }

  // Fixes the clip's place in the file at its first written picture.
  void startClip(int64_t firstPts) {
    clipOrigin_ = firstPts;
    const QDateTime wall = clipStart_.addMSecs(
        static_cast<qint64>(seconds(firstPts - firstTimestamp(videoIn_), videoIn_->time_base) * 1000.0));
    if (!wallOrigin_.isValid()) {
      wallOrigin_ = wall;
      offsetUs_ = 0;
      return;
    }
    const int64_t byClock = wallOrigin_.msecsTo(wall) * 1000;
    offsetUs_ = byClock > outEndUs_ + static_cast<int64_t>(kGapSeconds * 1e6) ? byClock : outEndUs_;
  }

  int64_t toOutput(int64_t ticks, AVRational base, AVRational outBase) const {
    if (ticks == AV_NOPTS_VALUE) return ticks;
    const int64_t originInBase = av_rescale_q(clipOrigin_, videoIn_->time_base, base);
    return av_rescale_q(ticks - originInBase, base, outBase) + av_rescale_q(offsetUs_, kMicroseconds, outBase);
  }

  std::optional<Failure> writeVideo(AVPacket* packet) {
    if (clipOrigin_ == AV_NOPTS_VALUE) startClip(packet->pts);
    const int64_t pts = packet->pts;
    const int64_t dts = packet->dts == AV_NOPTS_VALUE ? pts : packet->dts;
    packet->pts = toOutput(pts, videoIn_->time_base, videoOut_->time_base);
    packet->dts = toOutput(dts, videoIn_->time_base, videoOut_->time_base);
    packet->duration = av_rescale_q(packet->duration, videoIn_->time_base, videoOut_->time_base);
    packet->stream_index = videoOut_->index;
    packet->pos = -1;
    videoClock_.stamp(packet);
    return output_.write(packet);
  }

  // The sound of the written pictures up to `end` (video time base).
  std::optional<Failure> writeAudio(int64_t end) {
    if (audioIn_ == nullptr || audioOut_ == nullptr) {
      audioQueue_.clear();
      return std::nullopt;
    }
    if (clipOrigin_ == AV_NOPTS_VALUE) return std::nullopt;
    const double endSeconds = seconds(end, videoIn_->time_base);
    const double startSeconds = seconds(clipOrigin_, videoIn_->time_base);
    while (!audioQueue_.empty()) {
      AVPacket* packet = audioQueue_.front().get();
      const int64_t pts = packet->pts == AV_NOPTS_VALUE ? packet->dts : packet->pts;
      const double at = seconds(pts, audioIn_->time_base);
      if (at >= endSeconds) break;
      if (at >= startSeconds) {
        packet->pts = toOutput(pts, audioIn_->time_base, audioOut_->time_base);
        packet->dts = packet->pts;
        packet->duration = av_rescale_q(packet->duration, audioIn_->time_base, audioOut_->time_base);
        packet->stream_index = audioOut_->index;
        packet->pos = -1;
        audioClock_.stamp(packet);
        if (auto failure = output_.write(packet)) return failure;
      }
      audioQueue_.pop_front();
    }
    return std::nullopt;
  }

  // Decodes a group and encodes its pictures in [begin, end) with libx264;
  // the copy after a re-encoded head starts with the source's parameter sets.
  std::optional<Failure> reencode(Gop& gop, int64_t begin, int64_t end) {
    if (auto failure = openDecoder(videoIn_, &decoder_, path_)) return failure;
    CodecPtr encoder;
    FramePtr frame = newFrame();
    int64_t lastEnd = begin;
    auto drainEncoder = [&](AVFrame* input) -> std::optional<Failure> {
      int result = avcodec_send_frame(encoder.get(), input);
      if (result < 0) return Failure{QStringLiteral("Cannot encode the cut: %1").arg(errorText(result))};
      PacketPtr packet = newPacket();
      while ((result = avcodec_receive_packet(encoder.get(), packet.get())) >= 0) {
        if (packet->duration <= 0) packet->duration = frameTicks(encoder.get());
        replaceData(packet.get(), annexBToLengthPrefixed(packet->data, packet->size));
        if (auto failure = writeVideo(packet.get())) return failure;
        av_packet_unref(packet.get());
      }
      return std::nullopt;
    };
    auto takeFrames = [&]() -> std::optional<Failure> {
      while (avcodec_receive_frame(decoder_.get(), frame.get()) >= 0) {
        const int64_t pts = frame->best_effort_timestamp;
        if (pts >= begin && pts < end) {
          if (!encoder) {
            if (auto failure = openEncoder(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                           videoIn_->time_base, videoIn_->avg_frame_rate, false, "18", &encoder)) {
              return failure;
            }
          }
          frame->pts = pts;
          frame->pict_type = AV_PICTURE_TYPE_NONE;
          const int64_t duration = frame->pkt_duration > 0 ? frame->pkt_duration : 1;
          lastEnd = std::max(lastEnd, pts + duration);
          if (auto failure = drainEncoder(frame.get())) return failure;
        }
        av_frame_unref(frame.get());
      }
      return std::nullopt;
    };
    for (PacketPtr& packet : gop.packets) {
      if (avcodec_send_packet(decoder_.get(), packet.get()) < 0) continue;
      if (auto failure = takeFrames()) return failure;
    }
    avcodec_send_packet(decoder_.get(), nullptr);
    if (auto failure = takeFrames()) return failure;
    if (encoder) {
      if (auto failure = drainEncoder(nullptr)) return failure;
    }
    decoder_.reset();
    videoEnd_ = std::max(videoEnd_, std::min(end, lastEnd));
    // The copied pictures after encoded ones need their own parameter sets again.
    needParameterSets_ = true;
    return std::nullopt;
  }

  const QList<VideoSpanWriter::Clip>& clips_;
  QDateTime from_;
  QDateTime to_;
  const VideoSpanWriter::Options& options_;
  Output& output_;
  const std::atomic<bool>& cancel_;
  const VideoSpanWriter::Progress& progress_;

  struct ParametersFreer {
    void operator()(AVCodecParameters* parameters) const { avcodec_parameters_free(&parameters); }
  };
  std::unique_ptr<AVCodecParameters, ParametersFreer> firstVideoHolder_;
  const AVCodecParameters* firstVideo_ = nullptr;
  AVStream* videoIn_ = nullptr;
  AVStream* audioIn_ = nullptr;
  AVStream* videoOut_ = nullptr;
  AVStream* audioOut_ = nullptr;
  StreamClock videoClock_;
  StreamClock audioClock_;
  QByteArray sourceParameterSets_;
  QByteArray inBandParameterSets_;
  bool needParameterSets_ = false;
  CodecPtr decoder_;
  QString path_;
  std::deque<PacketPtr> audioQueue_;

  QDateTime clipStart_;
  QDateTime wallOrigin_;   // the clock time of the file's first picture
  int64_t localFrom_ = 0;  // the span in the current clip's video ticks
  int64_t localTo_ = 0;
  int64_t clipOrigin_ = AV_NOPTS_VALUE;  // the clip's first written picture
  int64_t videoEnd_ = 0;                 // end of the clip's written pictures
  int64_t offsetUs_ = 0;                 // where the clip starts in the file
  int64_t outEndUs_ = 0;                 // where the pictures written so far end
  int64_t audioStop_ = 0;                // the sound's end once the last group is known
  bool done_ = false;
};

// --- Side by side ----------------------------------------------------------

// Decoded pictures of one clip in order; its sound packets go to `onAudio`.
class FrameReader {
 public:
  // `hardware`: a device to decode on, or null for software.
  std::optional<Failure> open(const QString& path, bool withAudio, AVBufferRef* hardware) {
    path_ = path;
    if (auto failure = openInput(path, &input_)) return failure;
    const int video = bestStream(input_.get(), AVMEDIA_TYPE_VIDEO);
    if (video < 0) return Failure{QStringLiteral("The file %1 holds no video.").arg(fileName(path))};
    video_ = input_->streams[video];
    const int audio = withAudio ? bestStream(input_.get(), AVMEDIA_TYPE_AUDIO) : -1;
    audio_ = audio >= 0 ? input_->streams[audio] : nullptr;
    origin_ = seconds(firstTimestamp(video_), video_->time_base);
    return openDecoder(video_, &decoder_, path, hardware);
  }
  void seek(double localSeconds) {
    if (localSeconds <= 0.0) return;
    const auto target = static_cast<int64_t>((localSeconds + origin_) / av_q2d(video_->time_base));
    av_seek_frame(input_.get(), video_->index, target, AVSEEK_FLAG_BACKWARD);
  }
  // The next picture into `frame`; false at the end.
  std::optional<Failure> next(AVFrame* frame, bool* got) {
    *got = false;
    for (;;) {
      const int received = avcodec_receive_frame(decoder_.get(), frame);
      if (received >= 0) {
        *got = true;
        return frame->hw_frames_ctx != nullptr ? download(frame) : std::nullopt;
      }
      if (received == AVERROR_EOF) return std::nullopt;
      if (flushed_) return std::nullopt;
      const int result = av_read_frame(input_.get(), packet_.get());
      if (result == AVERROR_EOF) {
        if (endsEarly(video_, lastRead_)) return Failure{endsEarlyText(path_)};
        avcodec_send_packet(decoder_.get(), nullptr);
        flushed_ = true;
        continue;
      }
      if (result < 0) {
        return Failure{QStringLiteral("The video %1 is damaged: %2").arg(fileName(path_), errorText(result))};
      }
      if (audio_ != nullptr && packet_->stream_index == audio_->index && onAudio) {
        onAudio(packet_.get(), audio_);
      } else if (packet_->stream_index == video_->index) {
        const int64_t pts = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts;
        if (pts != AV_NOPTS_VALUE) {
          lastRead_ = std::max(lastRead_ == AV_NOPTS_VALUE ? pts : lastRead_, pts + packet_->duration);
        }
        // A damaged picture is skipped; the decoder resumes at the next one.
        avcodec_send_packet(decoder_.get(), packet_.get());
      }
      av_packet_unref(packet_.get());
    }
  }
  // A picture decoded on the device, brought into memory for the filters.
  std::optional<Failure> download(AVFrame* frame) {
    FramePtr copy = newFrame();
    if (av_hwframe_transfer_data(copy.get(), frame, 0) < 0 || av_frame_copy_props(copy.get(), frame) < 0) {
      return Failure{QStringLiteral("Cannot read a picture of %1 from the graphics device.").arg(fileName(path_))};
    }
    av_frame_unref(frame);
    av_frame_move_ref(frame, copy.get());
    return std::nullopt;
  }
  // A timestamp of any of its streams in seconds from the clip's first picture.
  double localSeconds(int64_t ticks, AVRational base) const { return seconds(ticks, base) - origin_; }
  AVStream* video() const { return video_; }
  AVStream* audio() const { return audio_; }

  std::function<void(AVPacket*, AVStream*)> onAudio;

 private:
  QString path_;
  InputPtr input_;
  CodecPtr decoder_;
  PacketPtr packet_ = newPacket();
  AVStream* video_ = nullptr;
  AVStream* audio_ = nullptr;
  double origin_ = 0.0;
  int64_t lastRead_ = AV_NOPTS_VALUE;
  bool flushed_ = false;
};

// Backslash before the characters the option parser of a filter command takes.
QByteArray escapedOptionValue(const QString& text) {
  QByteArray out;
  for (const char c : text.toUtf8()) {
    if (c == '\\' || c == ':' || c == '\'' || c == ',' || c == ';' || c == '[' || c == ']' || c == '=') {
      out.append('\\');
    }
    out.append(c);
  }
  return out;
}

class SideBySideJob {
 public:
  static constexpr AVRational kTimeBase{1, 90000};

  SideBySideJob(const QList<VideoSpanWriter::Clip>& clips, const QDateTime& from, const QDateTime& to,
                const VideoSpanWriter::Options& options, Output& output, const std::atomic<bool>& cancel,
                const VideoSpanWriter::Progress& progress)
      : clips_(clips),
        from_(from),
        to_(to),
        options_(options),
        output_(output),
        cancel_(cancel),
        progress_(progress),
        span_(from.msecsTo(to) / 1000.0) {}

  std::optional<Failure> run() {
    if (options_.hardwareDecoding && shouldTryHardwareDecoding()) hardware_ = openHardwareDevice();
    for (const VideoSpanWriter::Clip& clip : clips_) {
      if (auto failure = runClip(clip)) return failure;
      if (done_) break;
    }
    if (graph_) {
      if (av_buffersrc_add_frame(front_, nullptr) < 0 || av_buffersrc_add_frame(rear_, nullptr) < 0) {
        return Failure{QStringLiteral("Cannot filter the pictures.")};
      }
      if (auto failure = pullAndEncode()) return failure;
      if (auto failure = encode(nullptr)) return failure;
    }
    if (lastPts_ == AV_NOPTS_VALUE) return Failure{QStringLiteral("The span holds no picture.")};
    return output_.finish();
  }

 private:
  std::optional<Failure> runClip(const VideoSpanWriter::Clip& clip) {
    if (clip.rearPath.isEmpty() || !QFileInfo(clip.rearPath).isFile()) {
      return Failure{QStringLiteral("The rear video of %1 is missing; export the front or the rear camera alone.")
                         .arg(fileName(clip.videoPath))};
    }
    FrameReader front;
    FrameReader rear;
    if (auto failure = front.open(clip.videoPath, options_.keepSound, hardware_.get())) return failure;
    if (auto failure = rear.open(clip.rearPath, false, hardware_.get())) return failure;
    const double clipOffset = from_.msecsTo(clip.start) / 1000.0;  // the clip's start in the file
    std::optional<Failure> audioFailure;
    front.onAudio = [&](AVPacket* packet, AVStream* stream) {
      if (!audioFailure) audioFailure = writeAudio(packet, stream, front, clipOffset);
    };
    front.seek(-clipOffset);
    rear.seek(-clipOffset);

    FramePtr frame = newFrame();
    FramePtr rearFrame = newFrame();
    FramePtr rearNext = newFrame();
    bool haveRear = false;
    bool haveRearNext = false;
    bool rearEnded = false;
    const AVRational rate = front.video()->avg_frame_rate;
    const double halfFrame = rate.num > 0 ? 0.5 * rate.den / rate.num : 0.02;
    for (;;) {
      if (cancel_.load()) return Failure{QStringLiteral("Cancelled.")};
      bool got = false;
      if (auto failure = front.next(frame.get(), &got)) return failure;
      if (audioFailure) return audioFailure;
      if (!got) break;
      const double local = front.localSeconds(frame->best_effort_timestamp, front.video()->time_base);
      const double at = clipOffset + local;
      if (at >= span_) {
        done_ = true;
        break;
      }
      if (graph_ && (frame->width != frontWidth_ || frame->height != frontHeight_ || frame->format != frontFormat_)) {
        return Failure{
            QStringLiteral("The video %1 differs in picture size from the clip before.").arg(fileName(clip.videoPath))};
      }
      // The rear picture shown at this moment: the last one not after it.
      while (!rearEnded) {
        if (!haveRearNext) {
          bool gotRear = false;
          if (auto failure = rear.next(rearNext.get(), &gotRear)) return failure;
          if (!gotRear) {
            rearEnded = true;
            break;
          }
          haveRearNext = true;
        }
        const double rearAt = rear.localSeconds(rearNext->best_effort_timestamp, rear.video()->time_base);
        if (haveRear && rearAt > local + halfFrame) break;
        av_frame_unref(rearFrame.get());
        av_frame_move_ref(rearFrame.get(), rearNext.get());
        haveRear = true;
        haveRearNext = false;
      }
      if (at >= 0.0 && haveRear && std::isnan(firstAt_)) firstAt_ = at;
      const int64_t pts = std::llround((at - firstAt_) / av_q2d(kTimeBase));
      if (at < 0.0 || !haveRear || std::isnan(firstAt_) || pts <= lastPts_) {
        av_frame_unref(frame.get());
        continue;
      }
      if (!graph_) {
        if (auto failure = setUp(front, *frame, *rearFrame)) return failure;
      }
      if (rearFrame->width != rearWidth_ || rearFrame->height != rearHeight_ || rearFrame->format != rearFormat_) {
        return Failure{QStringLiteral("The rear video %1 differs in picture size from the clip before.")
                           .arg(fileName(clip.rearPath))};
      }
      lastPts_ = pts;
      if (auto failure = push(frame.get(), rearFrame.get(), pts)) return failure;
      av_frame_unref(frame.get());
      if (progress_) progress_(std::clamp(at / span_, 0.0, 1.0));
    }
    return std::nullopt;
  }

  // The filter graph and the encoder, made for the first pictures' sizes
  // and formats (a graphics device gives its own format).
  std::optional<Failure> setUp(const FrameReader& front, const AVFrame& frontFrame, const AVFrame& rearFrame) {
    frontWidth_ = frontFrame.width;
    frontHeight_ = frontFrame.height;
    frontFormat_ = frontFrame.format;
    rearWidth_ = rearFrame.width;
    rearHeight_ = rearFrame.height;
    rearFormat_ = rearFrame.format;
    if (frontWidth_ <= 0 || frontHeight_ <= 0 || rearWidth_ <= 0 || rearHeight_ <= 0 || frontFormat_ < 0 ||
        rearFormat_ < 0) {
      return Failure{QStringLiteral("Cannot read the picture size of the clips.")};
    }
    graph_.reset(avfilter_graph_alloc());
    const auto bufferArgs = [](int w, int h, int format) {
      return QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:pixel_aspect=1/1")
          .arg(w)
          .arg(h)
          .arg(format)
          .arg(kTimeBase.num)
          .arg(kTimeBase.den)
          .toLatin1();
    };
    const AVFilter* buffer = avfilter_get_by_name("buffer");
    const AVFilter* sink = avfilter_get_by_name("buffersink");
    if (avfilter_graph_create_filter(&front_, buffer, "front",
                                     bufferArgs(frontWidth_, frontHeight_, frontFormat_).constData(), nullptr,
                                     graph_.get()) < 0 ||
        avfilter_graph_create_filter(&rear_, buffer, "rear",
                                     bufferArgs(rearWidth_, rearHeight_, rearFormat_).constData(), nullptr,
                                     graph_.get()) < 0 ||
        avfilter_graph_create_filter(&sink_, sink, "out", nullptr, nullptr, graph_.get()) < 0) {
      return Failure{QStringLiteral("Cannot set up the picture filters.")};
    }
    // The rear as the viewer's mirror shows it, at the front's height.
    QString description = QStringLiteral(
                              "[f]format=yuv420p[f0];[r]hflip,scale=-2:%1,format=yuv420p[r0];"
                              "[f0][r0]hstack=inputs=2")
                              .arg(frontHeight_ & ~1);
    if (options_.overlayText) {
      const int size = std::max(12, frontHeight_ / 22);
      description += QStringLiteral(
                         ",drawtext=font=Sans:fontsize=%1:fontcolor=white:box=1:boxcolor=black@0.55:"
                         "boxborderw=%2:x=%3:y=%2:expansion=none:text=-")
                         .arg(size)
                         .arg(size / 4)
                         .arg(size);
    }
    description += QStringLiteral("[out]");
    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* rearOut = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    outputs->name = av_strdup("f");
    outputs->filter_ctx = front_;
    outputs->next = rearOut;
    rearOut->name = av_strdup("r");
    rearOut->filter_ctx = rear_;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink_;
    int result = avfilter_graph_parse_ptr(graph_.get(), description.toUtf8().constData(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (result >= 0) result = avfilter_graph_config(graph_.get(), nullptr);
    if (result < 0) return Failure{QStringLiteral("Cannot set up the picture filters: %1").arg(errorText(result))};

    const int width = av_buffersink_get_w(sink_);
    const int height = av_buffersink_get_h(sink_);
    if (auto failure = openEncoder(width, height, AV_PIX_FMT_YUV420P, kTimeBase, front.video()->avg_frame_rate, true,
                                   "23", &encoder_)) {
      return failure;
    }
    AVCodecParameters* parameters = avcodec_parameters_alloc();
    avcodec_parameters_from_context(parameters, encoder_.get());
    videoOut_ = output_.addStream(parameters, kTimeBase);
    avcodec_parameters_free(&parameters);
    if (videoOut_ == nullptr) return Failure{QStringLiteral("Out of memory.")};
    if (front.audio() != nullptr) {
      audioOut_ = output_.addStream(front.audio()->codecpar, front.audio()->time_base);
      if (audioOut_ == nullptr) return Failure{QStringLiteral("Out of memory.")};
    }
    return output_.begin();
  }

  std::optional<Failure> push(AVFrame* frontFrame, AVFrame* rearFrame, int64_t pts) {
    if (options_.overlayText) {
      const QString text =
          options_.overlayText(from_.addMSecs(std::llround((pts * av_q2d(kTimeBase) + firstAt_) * 1000.0)));
      if (text != lastText_) {
        lastText_ = text;
        const QByteArray command = "text=" + escapedOptionValue(text.isEmpty() ? QStringLiteral(" ") : text);
        avfilter_graph_send_command(graph_.get(), "drawtext", "reinit", command.constData(), nullptr, 0, 0);
      }
    }
    frontFrame->pts = pts;
    FramePtr rearCopy = newFrame();
    av_frame_ref(rearCopy.get(), rearFrame);
    rearCopy->pts = pts;
    if (av_buffersrc_add_frame_flags(front_, frontFrame, AV_BUFFERSRC_FLAG_KEEP_REF) < 0 ||
        av_buffersrc_add_frame(rear_, rearCopy.get()) < 0) {
      return Failure{QStringLiteral("Cannot filter the pictures.")};
    }
    return pullAndEncode();
  }

  std::optional<Failure> pullAndEncode() {
    FramePtr filtered = newFrame();
    while (av_buffersink_get_frame(sink_, filtered.get()) >= 0) {
      filtered->pict_type = AV_PICTURE_TYPE_NONE;
      auto failure = encode(filtered.get());
      av_frame_unref(filtered.get());
      if (failure) return failure;
    }
    return std::nullopt;
  }

  std::optional<Failure> encode(AVFrame* frame) {
    int result = avcodec_send_frame(encoder_.get(), frame);
    if (result < 0) return Failure{QStringLiteral("Cannot encode the video: %1").arg(errorText(result))};
    PacketPtr packet = newPacket();
    while ((result = avcodec_receive_packet(encoder_.get(), packet.get())) >= 0) {
      if (packet->duration <= 0) packet->duration = frameTicks(encoder_.get());
      av_packet_rescale_ts(packet.get(), encoder_->time_base, videoOut_->time_base);
      packet->stream_index = videoOut_->index;
      if (auto failure = output_.write(packet.get())) return failure;
    }
    return std::nullopt;
  }

  std::optional<Failure> writeAudio(AVPacket* packet, AVStream* stream, const FrameReader& reader, double clipOffset) {
    if (audioOut_ == nullptr || packet->pts == AV_NOPTS_VALUE) return std::nullopt;
    const double at = clipOffset + reader.localSeconds(packet->pts, stream->time_base) - firstAt_;
    // Sound before the first picture is left out (also while it is not known yet).
    if (std::isnan(at) || at < 0.0 || at + firstAt_ >= span_) return std::nullopt;
    PacketPtr copy = newPacket();
    av_packet_ref(copy.get(), packet);
    copy->pts = av_rescale_q(std::llround(at * 1e6), kMicroseconds, audioOut_->time_base);
    copy->dts = copy->pts;
    copy->duration = av_rescale_q(packet->duration, stream->time_base, audioOut_->time_base);
    copy->stream_index = audioOut_->index;
    copy->pos = -1;
    audioClock_.stamp(copy.get());
    return output_.write(copy.get());
  }

  const QList<VideoSpanWriter::Clip>& clips_;
  QDateTime from_;
  QDateTime to_;
  const VideoSpanWriter::Options& options_;
  Output& output_;
  const std::atomic<bool>& cancel_;
  const VideoSpanWriter::Progress& progress_;
  double span_;

  BufferPtr hardware_;
  GraphPtr graph_;
  AVFilterContext* front_ = nullptr;
  AVFilterContext* rear_ = nullptr;
  AVFilterContext* sink_ = nullptr;
  CodecPtr encoder_;
  AVStream* videoOut_ = nullptr;
  AVStream* audioOut_ = nullptr;
  StreamClock audioClock_;
  int frontWidth_ = 0;
  int frontHeight_ = 0;
  int frontFormat_ = -1;
  int rearWidth_ = 0;
  int rearHeight_ = 0;
  int rearFormat_ = -1;
  int64_t lastPts_ = AV_NOPTS_VALUE;
  double firstAt_ = std::nan("");  // the span's time of the file's first picture
  QString lastText_;
  bool done_ = false;
};

}  // namespace

std::optional<QString> VideoSpanWriter::write(const QList<Clip>& clips, const QDateTime& from, const QDateTime& to,
                                              const Options& options, AtomicFileWriter& out,
                                              const std::atomic<bool>& cancel, const Progress& progress) {
  if (clips.isEmpty() || !from.isValid() || !to.isValid() || to <= from) {
    return QStringLiteral("The span holds no recording.");
  }
  ffmpeg::keepLogQuiet();
  Output output(out);
  if (auto failure = output.create()) return failure->text;
  if (options.mode == Mode::SideBySide) {
    SideBySideJob job(clips, from, to, options, output, cancel, progress);
    if (auto failure = job.run()) return failure->text;
    return std::nullopt;
  }
  CopyJob job(clips, from, to, options, output, cancel, progress);
  if (auto failure = job.run()) return failure->text;
  return std::nullopt;
}

}  // namespace dashcard
