#include "core/media/clip_rebuilder.h"

#include "core/catalogue/dcf_info.h"
#include "core/common/atomic_file.h"
#include "core/common/regular_file.h"
#include "core/media/clip_health.h"
#include "core/media/ffmpeg_pointers.h"
#include "core/media/mp4_box.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

using mp4::be16;
using mp4::be32;
using mp4::fourcc;

QString tr(const char* text) { return QCoreApplication::translate("ClipRebuilder", text); }

struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// Small read-ahead windows over a file, the older of two replaced on a
// miss (a unit's header and the following one's are read by turns); every
// read is bounded by `end`.
class Window {
 public:
  Window(int fd, std::int64_t end, std::int64_t span) : fd_(fd), end_(end), span_(span) {}
  // `length` bytes at `offset`, or null when they are not all in the file.
  const unsigned char* at(std::int64_t offset, std::int64_t length) {
    if (offset < 0 || length < 0 || offset + length > end_) {
      return nullptr;
    }
    for (Slot& slot : slots_) {
      if (offset >= slot.start && offset + length <= slot.start + slot.data.size()) {
        return reinterpret_cast<const unsigned char*>(slot.data.constData()) + (offset - slot.start);
      }
    }
    Slot& slot = slots_[next_];
    next_ ^= 1;
    slot.data = mp4::readAt(fd_, offset, std::min(std::max(length, span_), end_ - offset));
    slot.start = offset;
    if (slot.data.size() < length) {
      slot.data.clear();
      return nullptr;
    }
    return reinterpret_cast<const unsigned char*>(slot.data.constData());
  }

 private:
  struct Slot {
    QByteArray data;
    std::int64_t start = 0;
  };
  int fd_;
  std::int64_t end_;
  std::int64_t span_;
  Slot slots_[2];
  int next_ = 0;
};

// Exp-Golomb reading of the first fields of a slice header.
class Bits {
 public:
  Bits(const unsigned char* data, int size) : data_(data), size_(size) {}
  int bit() {
    if (pos_ >= size_ * 8) {
      failed_ = true;
      return 0;
    }
    const int value = (data_[pos_ / 8] >> (7 - pos_ % 8)) & 1;
    ++pos_;
    return value;
  }
  std::uint32_t ue() {
    int zeros = 0;
    while (bit() == 0 && !failed_) {
      if (++zeros > 31) {
        failed_ = true;
        return 0;
      }
    }
    std::uint32_t value = 0;
    for (int i = 0; i < zeros; ++i) value = (value << 1) | std::uint32_t(bit());
    return (1u << zeros) - 1 + value;
  }
  bool failed() const { return failed_; }

 private:
  const unsigned char* data_;
  int size_;
  int pos_ = 0;
  bool failed_ = false;
};

// What one NAL unit header (and its slice header's first fields) says.
struct Nal {
  bool valid = false;
  bool vcl = false;
  bool key = false;
  bool startsPicture = false;  // begins a new access unit once one holds a slice
  bool bidirectional = false;  // a B slice: decoding order differs from display order
};

constexpr int kHeaderPeek = 16;

Nal classifyH264(const unsigned char* h, int maxMacroblocks) {
  Nal nal;
  const int ref = (h[0] >> 5) & 3;
  const int type = h[0] & 31;
  if ((h[0] & 0x80) != 0) return nal;
  switch (type) {
    case 1:
    case 5: {
      if (type == 5 && ref == 0) return nal;
      Bits bits(h + 1, kHeaderPeek - 1);
      const std::uint32_t firstMb = bits.ue();
      const std::uint32_t sliceType = bits.ue();
      const std::uint32_t pps = bits.ue();
      if (bits.failed() || sliceType > 9 || pps > 255 || firstMb >= std::uint32_t(maxMacroblocks)) return nal;
      nal.vcl = true;
      nal.key = type == 5;
      nal.startsPicture = firstMb == 0;
      nal.bidirectional = sliceType % 5 == 1;
      break;
    }
    case 7:
    case 8:
      if (ref == 0) return nal;
      nal.startsPicture = true;
      break;
    case 6:
    case 9:
      if (ref != 0) return nal;
      nal.startsPicture = true;
      break;
    case 10:
    case 11:
    case 12:
      if (ref != 0) return nal;
      break;
    default:
      return nal;
  }
  nal.valid = true;
  return nal;
}

Nal classifyHevc(const unsigned char* h, int extraSliceHeaderBits) {
  Nal nal;
  const int type = (h[0] >> 1) & 63;
  const int layer = ((h[0] & 1) << 5) | (h[1] >> 3);
  const int temporalId = h[1] & 7;
  if ((h[0] & 0x80) != 0 || layer != 0 || temporalId == 0) return nal;
  if (type <= 9 || (type >= 16 && type <= 21)) {
    Bits bits(h + 2, kHeaderPeek - 2);
    const bool first = bits.bit() == 1;
    const bool irap = type >= 16;
    if (irap) bits.bit();  // no_output_of_prior_pics_flag
    const std::uint32_t pps = bits.ue();
    if (bits.failed() || pps > 63) return nal;
    nal.vcl = true;
    nal.key = irap;
    nal.startsPicture = first;
    if (first) {
      // The first slice of a picture tells its type right after a few fixed bits.
      for (int i = 0; i < extraSliceHeaderBits; ++i) bits.bit();
      const std::uint32_t sliceType = bits.ue();
      nal.bidirectional = !bits.failed() && sliceType == 0;
    }
  } else if (type >= 32 && type <= 40) {
    nal.startsPicture = type <= 35 || type == 39;
  } else {
    return nal;
  }
  nal.valid = true;
  return nal;
}

// The codec set-up taken from the reference clip.
struct Setup {
  bool hevc = false;
  int lengthSize = 4;
  int maxMacroblocks = 0;
  int extraSliceHeaderBits = 0;  // H.265: from the picture parameter set
  std::int64_t maxNal = 0;
  mp4::Track video;
  QByteArray videoConfig;  // avcC / hvcC payload
  std::optional<mp4::Track> audio;
  QByteArray audioConfig;  // AudioSpecificConfig
};

// num_extra_slice_header_bits of the first picture parameter set in an
// `hvcC` payload; 0 when there is none.
int hevcExtraSliceHeaderBits(QByteArrayView hvcc) {
  constexpr qsizetype kArraysAt = 22;
  if (hvcc.size() <= kArraysAt) return 0;
  const auto* d = reinterpret_cast<const unsigned char*>(hvcc.data());
  const int arrays = d[kArraysAt];
  qsizetype at = kArraysAt + 1;
  for (int a = 0; a < arrays && at + 3 <= hvcc.size(); ++a) {
    const int type = d[at] & 63;
    const int count = (d[at + 1] << 8) | d[at + 2];
    at += 3;
    for (int n = 0; n < count && at + 2 <= hvcc.size(); ++n) {
      const int length = (d[at] << 8) | d[at + 1];
      at += 2;
      if (type == 34 && length > 2 && at + length <= hvcc.size()) {
        Bits bits(d + at + 2, length - 2);
        bits.ue();   // pps_pic_parameter_set_id
        bits.ue();   // pps_seq_parameter_set_id
        bits.bit();  // dependent_slice_segments_enabled_flag
        bits.bit();  // output_flag_present_flag
        int extra = 0;
        for (int i = 0; i < 3; ++i) extra = (extra << 1) | bits.bit();
        return bits.failed() ? 0 : extra;
      }
      at += length;
    }
  }
  return 0;
}

// The AudioSpecificConfig inside an `esds` payload (after version and flags).
QByteArray audioSpecificConfig(QByteArrayView esds) {
  const auto* p = reinterpret_cast<const unsigned char*>(esds.data());
  qsizetype at = 0;
  const qsizetype size = esds.size();
  auto descriptor = [&](int wanted) -> qsizetype {
    if (at + 2 > size || p[at] != wanted) return -1;
    ++at;
    qsizetype length = 0;
    for (int i = 0; i < 4 && at < size; ++i) {
      const unsigned char b = p[at++];
      length = (length << 7) | (b & 0x7f);
      if ((b & 0x80) == 0) break;
    }
    return at + length <= size ? length : -1;
  };
  if (descriptor(0x03) < 0 || at + 3 > size) return {};
  const unsigned char flags = p[at + 2];
  at += 3;
  if (flags & 0x80) at += 2;
  if ((flags & 0x40) && at < size) at += 1 + p[at];
  if (flags & 0x20) at += 2;
  if (descriptor(0x04) < 0 || at + 13 > size) return {};
  at += 13;
  const qsizetype length = descriptor(0x05);
  if (length <= 0) return {};
  return QByteArray(esds.data() + at, length);
}

std::optional<Setup> readReference(const QString& path, QString* error) {
  const auto fail = [&](const QString& why) {
    *error = tr("The reference %1 cannot serve: %2").arg(QDir::toNativeSeparators(path), why);
    return std::nullopt;
  };
  struct stat info {};
  Fd file{openRegularFile(path, &info)};
  if (file.fd < 0) return fail(QString::fromLocal8Bit(std::strerror(errno)));
  const mp4::TopLevel top = mp4::readTopLevel(file.fd, info.st_size);
  const mp4::BoxHeader* moov = top.find(fourcc("moov"));
  const mp4::BoxHeader* mdat = top.find(fourcc("mdat"));
  if (moov == nullptr || moov->end() > info.st_size || moov->size > (64 << 20)) {
    return fail(tr("it has no index."));
  }
  if (mdat == nullptr || mdat->end() > info.st_size) {
    return fail(tr("its media data is larger than the file."));
  }
  QString why;
  const auto index = mp4::parseIndex(mp4::readAt(file.fd, moov->payloadOffset(), moov->size - moov->headerSize), &why);
  if (!index) return fail(why);
  Setup setup;
  const mp4::Track* video = index->firstOf(fourcc("vide"));
  if (video == nullptr) return fail(tr("it has no video."));
  for (const mp4::Track& track : index->tracks) {
    for (std::size_t i = 0; i < track.sizes.size(); ++i) {
      if (track.offsets[i] + track.sizes[i] > std::uint64_t(info.st_size)) {
        return fail(tr("its index points outside the file."));
      }
    }
  }
  setup.video = *video;
  const std::uint32_t codec = video->codec;
  setup.hevc = codec == fourcc("hvc1") || codec == fourcc("hev1");
  if (!setup.hevc && codec != fourcc("avc1") && codec != fourcc("avc3")) {
    return fail(tr("its video is %1, not H.264 or H.265.").arg(mp4::fourccText(codec)));
  }
  if (video->hasCompositionOffsets) {
    return fail(tr("its video reorders frames (B-frames), which a rebuild cannot time."));
  }
  constexpr qsizetype kVisualEntryHeader = 86;  // box header and the visual sample entry's fields
  const QByteArrayView entry(video->sampleEntry);
  if (entry.size() <= kVisualEntryHeader) return fail(tr("its video set-up is cut short."));
  const auto config = mp4::child(entry.sliced(kVisualEntryHeader), setup.hevc ? fourcc("hvcC") : fourcc("avcC"));
  const qsizetype lengthAt = setup.hevc ? 21 : 4;
  if (!config || config->payload.size() <= lengthAt) return fail(tr("its video set-up is missing."));
  setup.videoConfig = config->payload.toByteArray();
  if (setup.hevc) setup.extraSliceHeaderBits = hevcExtraSliceHeaderBits(setup.videoConfig);
  setup.lengthSize = (std::uint8_t(config->payload[lengthAt]) & 3) + 1;
  if (setup.lengthSize == 3) return fail(tr("its video set-up is invalid."));
  if (video->timescale == 0 || video->commonDelta() == 0 || video->sizes.empty()) {
    return fail(tr("its video has no timing."));
  }
  setup.maxMacroblocks = std::max(1, ((video->width + 15) / 16) * ((video->height + 15) / 16));
  if (setup.hevc || video->width == 0) setup.maxMacroblocks = 1 << 30;
  setup.maxNal = std::max<std::int64_t>(std::int64_t(video->largestSample()) * 4, 1 << 20);

  if (const mp4::Track* audio = index->firstOf(fourcc("soun")); audio != nullptr && audio->codec == fourcc("mp4a")) {
    constexpr qsizetype kAudioEntryHeader = 36;
    const QByteArrayView audioEntry(audio->sampleEntry);
    const auto esds = audioEntry.size() > kAudioEntryHeader
                          ? mp4::child(audioEntry.sliced(kAudioEntryHeader), fourcc("esds"))
                          : std::nullopt;
    if (esds && esds->payload.size() > 4) setup.audioConfig = audioSpecificConfig(esds->payload.sliced(4));
    if (setup.audioConfig.isEmpty() || audio->timescale == 0 || audio->commonDelta() == 0) {
      return fail(tr("its sound set-up is missing."));
    }
    setup.audio = *audio;
  }
  return setup;
}

struct Sample {
  std::int64_t offset = 0;
  std::uint32_t size = 0;
  bool key = false;
};

// Decodes sound runs to learn where each frame ends: FFmpeg's AAC decoder
// takes a packet holding several frames one at a time and reports, with each
// frame, how many bytes were left when it began.
class AudioSplitter {
 public:
  bool open(const QByteArray& config) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
    if (codec == nullptr) return false;
    context_.reset(avcodec_alloc_context3(codec));
    if (!context_) return false;
    context_->extradata = static_cast<std::uint8_t*>(av_mallocz(size_t(config.size()) + AV_INPUT_BUFFER_PADDING_SIZE));
    if (context_->extradata == nullptr) return false;
    std::memcpy(context_->extradata, config.constData(), size_t(config.size()));
    context_->extradata_size = int(config.size());
    return avcodec_open2(context_.get(), codec, nullptr) == 0 && packet_ && frame_;
  }

  // The frame sizes of `data` when it splits into whole frames exactly
  // (`exact`), else those of the frames known to be whole before the first
  // that is not.
  std::vector<std::uint32_t> split(const unsigned char* data, int size, bool exact) {
    std::vector<std::uint32_t> sizes;
    avcodec_flush_buffers(context_.get());
    av_packet_unref(packet_.get());
    if (size <= 0 || av_new_packet(packet_.get(), size) < 0) return {};
    std::memcpy(packet_->data, data, size_t(size));
    if (avcodec_send_packet(context_.get(), packet_.get()) < 0) return {};
    std::int64_t previous = -1;
    int result = 0;
    while ((result = avcodec_receive_frame(context_.get(), frame_.get())) == 0) {
      const std::int64_t left = frame_->pkt_size;
      av_frame_unref(frame_.get());
      if (previous >= 0) {
        if (left <= 0 || left >= previous) return exact ? std::vector<std::uint32_t>{} : sizes;
        sizes.push_back(std::uint32_t(previous - left));
      } else if (left != size) {
        return {};
      }
      previous = left;
    }
    if (result == AVERROR(EAGAIN) && previous > 0) {
      sizes.push_back(std::uint32_t(previous));
      return sizes;
    }
    return exact ? std::vector<std::uint32_t>{} : sizes;
  }

 private:
  ffmpeg::CodecPtr context_;
  ffmpeg::PacketPtr packet_ = ffmpeg::newPacket();
  ffmpeg::FramePtr frame_ = ffmpeg::newFrame();
};

// Walks the media data of the damaged clip.
class Walker {
 public:
  Walker(int fd, std::int64_t begin, std::int64_t end, const Setup& setup, AudioSplitter* audio, int maxPictures)
      : begin_(begin),
        end_(end),
        setup_(setup),
        audio_(audio),
        maxPictures_(maxPictures),
        probe_(fd, end, kProbeSpan),
        runs_(fd, end, 0) {}

  std::vector<Sample> video;
  std::vector<Sample> audio;
  // A B slice was met: the pictures' display times are not in the data.
  bool reordered = false;

  // Walks to the end of what can be recovered; false when cancelled.
  bool walk(const std::atomic<bool>* cancel, const ClipRebuilder::Progress& progress) {
    std::int64_t p = begin_;
    int steps = 0;
    while (p < end_) {
      if ((++steps & 255) == 0) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return false;
        if (progress) progress(double(p - begin_) / double(end_ - begin_));
      }
      if (zerosAt(p)) break;
      std::int64_t next = 0;
      const Nal nal = nalAt(p, &next);
      if (nal.valid && next <= end_ && followsWell(next)) {
        if (nal.bidirectional) {
          reordered = true;
          return true;
        }
        addNal(nal, p, next);
        p = next;
        if (maxPictures_ > 0 && keyedPictures_ >= maxPictures_) return true;
        continue;
      }
      if (nal.valid && next > end_) {
        // The clip was cut inside this unit: the picture it belongs to is lost.
        if (!(nal.startsPicture || !picture_.vcl)) picture_ = {};
        break;
      }
      closePicture();
      const std::optional<std::int64_t> runEnd = audioRun(p);
      if (!runEnd) {
        tailAudio(p);
        break;
      }
      p = *runEnd;
    }
    closePicture();
    return true;
  }

 private:
  struct Picture {
    std::int64_t start = -1;
    std::int64_t end = 0;
    bool vcl = false;
    bool key = false;
  };

  bool zerosAt(std::int64_t p) {
    const std::int64_t length = std::min<std::int64_t>(16, end_ - p);
    const unsigned char* bytes = probe_.at(p, length);
    return bytes != nullptr && std::all_of(bytes, bytes + length, [](unsigned char b) { return b == 0; });
  }

  // The NAL unit at `p` by its header; `next` gets where it claims to end.
  Nal nalAt(std::int64_t p, std::int64_t* next) {
    const int ls = setup_.lengthSize;
    const std::int64_t available = std::min<std::int64_t>(ls + kHeaderPeek, end_ - p);
    const unsigned char* h = probe_.at(p, available);
    if (h == nullptr || available < ls + kHeaderPeek) {
      // Near the end: pad the header with zeros to classify it.
      if (h == nullptr || available <= ls + 2) return {};
      std::memcpy(tail_, h, size_t(available));
      std::memset(tail_ + available, 0, sizeof tail_ - size_t(available));
      h = tail_;
    }
    std::uint64_t length = 0;
    for (int i = 0; i < ls; ++i) length = (length << 8) | h[i];
    if (length < 2 || std::int64_t(length) > setup_.maxNal) return {};
    // Classified before the next read, which may reuse the buffer `h` points into.
    const Nal nal =
        setup_.hevc ? classifyHevc(h + ls, setup_.extraSliceHeaderBits) : classifyH264(h + ls, setup_.maxMacroblocks);
    *next = p + ls + std::int64_t(length);
    // A unit ends in its stop bit, never in a zero byte: one that does was
    // cut and the camera's reserved zeros filled the rest.
    if (*next <= end_) {
      // Read from the byte before so the next unit's header comes along.
      const unsigned char* last = probe_.at(*next - 1, 1);
      if (last == nullptr) return {};
      if (*last == 0) {
        if (*next != end_ && !zerosAt(*next)) return {};
        *next = INT64_MAX;  // cut: reads as reaching past the end
      }
    }
    return nal;
  }

  // What follows a unit ending at `p` must be the end, zeros, another unit,
  // or a run of sound that splits into whole frames.
  bool followsWell(std::int64_t p) {
    if (p == end_ || zerosAt(p)) return true;
    std::int64_t next = 0;
    const Nal nal = nalAt(p, &next);
    if (nal.valid) return true;
    if (audio_ != nullptr && findRun(p).has_value()) return true;
    // What follows is too short to be more than a sound frame cut by the end.
    return end_ - p <= kCutFrameTail;
  }

  void addNal(const Nal& nal, std::int64_t p, std::int64_t next) {
    if (picture_.start >= 0 && picture_.vcl && nal.startsPicture) closePicture();
    if (picture_.start < 0) picture_.start = p;
    picture_.end = next;
    picture_.vcl = picture_.vcl || nal.vcl;
    picture_.key = picture_.key || nal.key;
  }

  void closePicture() {
    if (picture_.start >= 0 && picture_.vcl) {
      video.push_back(Sample{picture_.start, std::uint32_t(picture_.end - picture_.start), picture_.key});
      if (picture_.key || keyedPictures_ > 0) ++keyedPictures_;
    }
    picture_ = {};
  }

  // The sound frames from `p` up to the next video unit (or zeros, or the
  // end): the first end at which the run splits into whole frames.
  std::optional<std::int64_t> audioRun(std::int64_t p) {
    if (!findRun(p)) return std::nullopt;
    return commitRun();
  }

  // Finds the run at `p` (kept until taken) and returns where it ends.
  std::optional<std::int64_t> findRun(std::int64_t p) {
    if (audio_ == nullptr) return std::nullopt;
    if (cachedRunStart_ == p) return cachedRunEnd_;
    // Read in growing steps: most runs are a frame or two (a few hundred
    // bytes), and every byte read here is copied once more.
    std::int64_t v = p + 1;
    for (std::int64_t span = 2 << 10;; span *= 4) {
      const std::int64_t limit = std::min({end_, p + span, p + kMaxRun});
      const unsigned char* bytes = runs_.at(p, limit - p);
      if (bytes == nullptr) return std::nullopt;
      for (; v <= limit; ++v) {
        // Units are far below 16 MB: a 4-byte length starts with a zero.
        if (v < limit && setup_.lengthSize == 4 && bytes[v - p] != 0) continue;
        if (v + 5 <= limit && !plausibleLength(bytes + (v - p))) continue;
        if (v != end_ && !isRunEnd(v)) continue;
        auto sizes = audio_->split(bytes, int(v - p), true);
        if (!sizes.empty()) {
          cachedRunStart_ = p;
          cachedRunEnd_ = v;
          cachedRun_ = std::move(sizes);
          return v;
        }
      }
      if (limit == end_ || limit == p + kMaxRun) break;
    }
    return std::nullopt;
  }

  // A first look at a unit's length and header in bytes already read.
  bool plausibleLength(const unsigned char* h) const {
    if (setup_.lengthSize != 4) return true;
    const std::int64_t length = be32(h);
    return length >= 2 && length <= setup_.maxNal && (h[4] & 0x80) == 0;
  }

  // A place where a run of sound can end: a video unit, zeros or the end.
  bool isRunEnd(std::int64_t v) {
    const unsigned char* first = probe_.at(v, 1);
    if (first == nullptr) return false;
    if (setup_.lengthSize == 4 && *first != 0) return false;
    if (zerosAt(v)) return true;
    // A unit cut by the end of the data counts: the sound before it is whole.
    std::int64_t next = 0;
    return nalAt(v, &next).valid;
  }

  std::int64_t commitRun() {
    std::int64_t at = cachedRunStart_;
    for (const std::uint32_t size : cachedRun_) {
      audio.push_back(Sample{at, size, true});
      at += size;
    }
    cachedRunStart_ = -1;
    cachedRun_.clear();
    return at;
  }

  // Sound at the very end, cut inside a frame: keep the frames known whole.
  void tailAudio(std::int64_t p) {
    if (audio_ == nullptr) return;
    const std::int64_t limit = std::min(end_, p + kMaxRun);
    const unsigned char* bytes = runs_.at(p, limit - p);
    if (bytes == nullptr) return;
    const auto sizes = audio_->split(bytes, int(limit - p), false);
    std::int64_t at = p;
    for (const std::uint32_t size : sizes) {
      audio.push_back(Sample{at, size, true});
      at += size;
    }
  }

  // Longer than any AAC frame of two channels (6144 bits each).
  static constexpr std::int64_t kCutFrameTail = 1536;
  // One read at a unit's end brings the next unit's header and the sound
  // run after it: half the reads of a 64-byte window.
  static constexpr std::int64_t kProbeSpan = 4 << 10;
  // Longest run of sound between two pictures: a few seconds of AAC.
  static constexpr std::int64_t kMaxRun = 256 << 10;

  std::int64_t begin_;
  std::int64_t end_;
  const Setup& setup_;
  AudioSplitter* audio_;
  // Stop once this many pictures from the first key one are found (0: all).
  int maxPictures_;
  int keyedPictures_ = 0;
  // One small window serves every header: a unit's last byte, the next
  // header and the zeros test come in one read.
  Window probe_;
  Window runs_;
  Picture picture_;
  unsigned char tail_[4 + kHeaderPeek] = {};
  std::int64_t cachedRunStart_ = -1;
  std::int64_t cachedRunEnd_ = -1;
  std::vector<std::uint32_t> cachedRun_;
};

// Decodes the first picture with the reference's set-up, strictly: a
// reference of another codec or picture size fails here.
bool firstPictureDecodes(int fd, const Setup& setup, const Sample& sample) {
  const AVCodec* codec = avcodec_find_decoder(setup.hevc ? AV_CODEC_ID_HEVC : AV_CODEC_ID_H264);
  if (codec == nullptr) return false;
  ffmpeg::CodecPtr context(avcodec_alloc_context3(codec));
  if (!context) return false;
  context->extradata =
      static_cast<std::uint8_t*>(av_mallocz(size_t(setup.videoConfig.size()) + AV_INPUT_BUFFER_PADDING_SIZE));
  if (context->extradata == nullptr) return false;
  std::memcpy(context->extradata, setup.videoConfig.constData(), size_t(setup.videoConfig.size()));
  context->extradata_size = int(setup.videoConfig.size());
  context->err_recognition = AV_EF_EXPLODE | AV_EF_CRCCHECK | AV_EF_BITSTREAM;
  context->thread_count = 1;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return false;
  const QByteArray bytes = mp4::readAt(fd, sample.offset, sample.size);
  ffmpeg::PacketPtr packet = ffmpeg::newPacket();
  ffmpeg::FramePtr frame = ffmpeg::newFrame();
  if (bytes.size() != qsizetype(sample.size) || av_new_packet(packet.get(), int(bytes.size())) < 0) return false;
  std::memcpy(packet->data, bytes.constData(), size_t(bytes.size()));
  packet->flags = AV_PKT_FLAG_KEY;
  if (avcodec_send_packet(context.get(), packet.get()) < 0 || avcodec_send_packet(context.get(), nullptr) < 0) {
    return false;
  }
  if (avcodec_receive_frame(context.get(), frame.get()) < 0) return false;
  return frame->decode_error_flags == 0 && (frame->flags & AV_FRAME_FLAG_CORRUPT) == 0 &&
         (setup.video.width == 0 || (frame->width == setup.video.width && frame->height == setup.video.height));
}

// The index of the rebuilt file. `shift` moves input offsets to output ones.
QByteArray buildIndex(const Setup& setup, const std::vector<Sample>& video, const std::vector<Sample>& audio,
                      std::int64_t shift) {
  mp4::BoxWriter w;
  constexpr std::uint32_t kMovieScale = 1000;
  const auto trackDuration = [](std::size_t count, std::uint32_t delta) { return std::uint64_t(count) * delta; };
  const std::uint64_t videoTicks = trackDuration(video.size(), setup.video.commonDelta());
  const std::uint64_t audioTicks = setup.audio ? trackDuration(audio.size(), setup.audio->commonDelta()) : 0;
  const auto inMovie = [&](std::uint64_t ticks, std::uint32_t scale) {
    return std::uint32_t(std::min<std::uint64_t>(ticks * kMovieScale / scale, UINT32_MAX));
  };
  const std::uint32_t videoMs = inMovie(videoTicks, setup.video.timescale);
  const std::uint32_t audioMs = setup.audio ? inMovie(audioTicks, setup.audio->timescale) : 0;
  bool wide = false;
  for (const auto* samples : {&video, &audio}) {
    if (!samples->empty() && std::uint64_t(samples->back().offset + shift) > UINT32_MAX) wide = true;
  }
  const auto matrix = [&] {
    const std::uint32_t values[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
    for (const std::uint32_t v : values) w.u32(v);
  };

  w.begin(fourcc("moov"));
  w.beginFull(fourcc("mvhd"), 0, 0);
  w.u32(0);
  w.u32(0);
  w.u32(kMovieScale);
  w.u32(std::max(videoMs, audioMs));
  w.u32(0x10000);
  w.u16(0x100);
  w.zeros(10);
  matrix();
  w.zeros(24);
  w.u32(setup.audio ? 3 : 2);
  w.end();

  const auto track = [&](std::uint32_t id, const mp4::Track& ref, const std::vector<Sample>& samples,
                         std::uint32_t movieMs, bool isVideo) {
    const std::uint32_t delta = ref.commonDelta();
    w.begin(fourcc("trak"));
    w.beginFull(fourcc("tkhd"), 0, 3);
    w.u32(0);
    w.u32(0);
    w.u32(id);
    w.u32(0);
    w.u32(movieMs);
    w.zeros(8);
    w.u16(0);
    w.u16(isVideo ? 0 : 1);
    w.u16(isVideo ? 0 : 0x100);
    w.u16(0);
    matrix();
    w.u32(isVideo ? std::uint32_t(ref.width) << 16 : 0);
    w.u32(isVideo ? std::uint32_t(ref.height) << 16 : 0);
    w.end();
    w.begin(fourcc("mdia"));
    w.beginFull(fourcc("mdhd"), 0, 0);
    w.u32(0);
    w.u32(0);
    w.u32(ref.timescale);
    w.u32(std::uint32_t(std::min<std::uint64_t>(trackDuration(samples.size(), delta), UINT32_MAX)));
    w.u16(0x55c4);  // "und"
    w.u16(0);
    w.end();
    w.beginFull(fourcc("hdlr"), 0, 0);
    w.u32(0);
    w.u32(isVideo ? fourcc("vide") : fourcc("soun"));
    w.zeros(12);
    w.bytes(isVideo ? QByteArrayView("VideoHandler", 13) : QByteArrayView("SoundHandler", 13));
    w.end();
    w.begin(fourcc("minf"));
    if (isVideo) {
      w.beginFull(fourcc("vmhd"), 0, 1);
      w.zeros(8);
    } else {
      w.beginFull(fourcc("smhd"), 0, 0);
      w.zeros(4);
    }
    w.end();
    w.begin(fourcc("dinf"));
    w.beginFull(fourcc("dref"), 0, 0);
    w.u32(1);
    w.beginFull(fourcc("url "), 0, 1);
    w.end();
    w.end();
    w.end();
    w.begin(fourcc("stbl"));
    w.beginFull(fourcc("stsd"), 0, 0);
    w.u32(1);
    w.bytes(ref.sampleEntry);
    w.end();
    w.beginFull(fourcc("stts"), 0, 0);
    w.u32(1);
    w.u32(std::uint32_t(samples.size()));
    w.u32(delta);
    w.end();
    if (isVideo) {
      w.beginFull(fourcc("stss"), 0, 0);
      const auto keys = std::count_if(samples.begin(), samples.end(), [](const Sample& s) { return s.key; });
      w.u32(std::uint32_t(keys));
      for (std::size_t i = 0; i < samples.size(); ++i) {
        if (samples[i].key) w.u32(std::uint32_t(i + 1));
      }
      w.end();
    }
    // One sample per chunk: the walk found them interleaved one by one.
    w.beginFull(fourcc("stsc"), 0, 0);
    w.u32(1);
    w.u32(1);
    w.u32(1);
    w.u32(1);
    w.end();
    w.beginFull(fourcc("stsz"), 0, 0);
    w.u32(0);
    w.u32(std::uint32_t(samples.size()));
    for (const Sample& s : samples) w.u32(s.size);
    w.end();
    w.beginFull(wide ? fourcc("co64") : fourcc("stco"), 0, 0);
    w.u32(std::uint32_t(samples.size()));
    for (const Sample& s : samples) {
      if (wide) {
        w.u64(std::uint64_t(s.offset + shift));
      } else {
        w.u32(std::uint32_t(s.offset + shift));
      }
    }
    w.end();
    w.end();  // stbl
    w.end();  // minf
    w.end();  // mdia
    w.end();  // trak
  };
  track(1, setup.video, video, videoMs, true);
  if (setup.audio && !audio.empty()) track(2, *setup.audio, audio, audioMs, false);
  w.end();
  return w.data();
}

}  // namespace

QString ClipRebuilder::findReference(const QString& damagedPath) {
  const QFileInfo damaged(damagedPath);
  const QString name = damaged.fileName();
  if (name.isEmpty()) return {};
  const QDateTime start = DCFInfo::startDateWithFilePath(damagedPath);
  const auto nearest = [&](const QDir& folder) -> QString {
    QList<QFileInfo> candidates;
    for (const QFileInfo& entry :
         folder.entryInfoList({QStringLiteral("*.mp4"), QStringLiteral("*.MP4")}, QDir::Files, QDir::Name)) {
      if (entry.fileName() != name && entry.fileName().front().toUpper() == name.front().toUpper()) {
        candidates.append(entry);
      }
    }
    std::stable_sort(candidates.begin(), candidates.end(), [&](const QFileInfo& a, const QFileInfo& b) {
      return std::llabs(DCFInfo::startDateWithFilePath(a.filePath()).secsTo(start)) <
             std::llabs(DCFInfo::startDateWithFilePath(b.filePath()).secsTo(start));
    });
    // A damaged neighbour is passed over; a few looks are enough.
    constexpr int kMaxLooks = 16;
    for (int i = 0; i < std::min<int>(kMaxLooks, int(candidates.size())); ++i) {
      if (ClipHealth::inspect(candidates[i].filePath()).healthy()) return candidates[i].filePath();
    }
    return {};
  };
  if (QString found = nearest(damaged.dir()); !found.isEmpty()) return found;
  // The other recording folders of the card (an event clip alone in its folder).
  QDir card = damaged.dir();
  if (!card.cdUp()) return {};
  for (const QFileInfo& folder : card.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    if (folder.absoluteFilePath() == damaged.absolutePath()) continue;
    if (QString found = nearest(QDir(folder.absoluteFilePath())); !found.isEmpty()) return found;
  }
  return {};
}

ClipRebuilder::Result ClipRebuilder::rebuild(const QString& damagedPath, const QString& referencePath,
                                             const QString& outputPath, const std::atomic<bool>* cancel,
                                             const Progress& progress, int maxPictures) {
  Result result;
  const auto fail = [&](const QString& text) {
    result.error = text;
    return result;
  };
  const QString shownDamaged = QDir::toNativeSeparators(damagedPath);
  // Decoding probes of sound and pictures fail by design.
  ffmpeg::keepLogQuiet();

  struct stat info {};
  Fd damaged{openRegularFile(damagedPath, &info)};
  if (damaged.fd < 0) {
    return fail(tr("Cannot read %1: %2.").arg(shownDamaged, QString::fromLocal8Bit(std::strerror(errno))));
  }
  struct stat outInfo {};
  if (::stat(QFile::encodeName(outputPath).constData(), &outInfo) == 0 && outInfo.st_dev == info.st_dev &&
      outInfo.st_ino == info.st_ino) {
    return fail(tr("The repaired copy cannot replace the damaged video itself."));
  }
  const std::int64_t fileSize = info.st_size;
  if (fileSize == 0) return fail(tr("%1 is empty: nothing was recorded, nothing can be recovered.").arg(shownDamaged));
  const mp4::TopLevel top = mp4::readTopLevel(damaged.fd, fileSize);
  const mp4::BoxHeader* mdat = top.find(fourcc("mdat"));
  if (mdat == nullptr) return fail(tr("%1 holds no video data that could be recovered.").arg(shownDamaged));

  result.reference = referencePath.isEmpty() ? findReference(damagedPath) : referencePath;
  if (result.reference.isEmpty()) {
    return fail(tr("No healthy clip of the same camera lies beside %1 to serve as reference; name one.")
                    .arg(shownDamaged));
  }
  QString error;
  const std::optional<Setup> setup = readReference(result.reference, &error);
  if (!setup) return fail(error);

  AudioSplitter splitter;
  if (setup->audio && !splitter.open(setup->audioConfig)) {
    return fail(tr("The sound of the reference cannot be decoded."));
  }
  // The media data as far as it was written: a zero size or one past the
  // end of the file is what a power loss leaves.
  const std::int64_t dataEnd = std::min(mdat->end(), fileSize);
  Walker walker(damaged.fd, mdat->payloadOffset(), dataEnd, *setup, setup->audio ? &splitter : nullptr, maxPictures);
  const auto walkProgress = [&](double fraction) {
    if (progress) progress(fraction * 0.5);
  };
  if (!walker.walk(cancel, walkProgress)) {
    result.cancelled = true;
    return fail(tr("Cancelled."));
  }
  if (walker.reordered) {
    // Without the lost index the display order of such pictures is unknown:
    // a copy would play them jumbled.
    return fail(tr("%1 reorders frames (B-frames), which a rebuild cannot time: it was not repaired.").arg(shownDamaged));
  }
  std::vector<Sample>& video = walker.video;
  // Decoding starts at a key picture.
  const auto firstKey = std::find_if(video.begin(), video.end(), [](const Sample& s) { return s.key; });
  video.erase(video.begin(), firstKey);
  if (video.empty()) {
    return fail(tr("No complete %1 picture was found in %2: nothing was recorded, or the reference is of another "
                   "camera or codec.")
                    .arg(setup->hevc ? QStringLiteral("H.265") : QStringLiteral("H.264"), shownDamaged));
  }
  if (!firstPictureDecodes(damaged.fd, *setup, video.front())) {
    return fail(tr("The reference %1 does not match %2 (another codec, picture size or set-up).")
                    .arg(QDir::toNativeSeparators(result.reference), shownDamaged));
  }
  std::vector<Sample>& audio = walker.audio;
  // Sound before the first kept picture goes with the dropped ones.
  audio.erase(audio.begin(), std::find_if(audio.begin(), audio.end(),
                                          [&](const Sample& s) { return s.offset > video.front().offset; }));

  const std::int64_t first = std::min(video.front().offset, audio.empty() ? INT64_MAX : audio.front().offset);
  std::int64_t last = video.back().offset + video.back().size;
  if (!audio.empty()) last = std::max(last, audio.back().offset + std::int64_t(audio.back().size));

  mp4::BoxWriter head;
  head.begin(fourcc("ftyp"));
  head.u32(setup->hevc ? fourcc("iso4") : fourcc("isom"));
  head.u32(0x200);
  for (const char* brand : {"isom", "iso2", "mp41"}) head.bytes(QByteArrayView(brand, 4));
  head.bytes(setup->hevc ? QByteArrayView("hvc1", 4) : QByteArrayView("avc1", 4));
  head.end();
  const std::int64_t payloadAt = head.data().size() + 16;
  head.u32(1);
  head.u32(fourcc("mdat"));
  head.u64(std::uint64_t(16 + (last - first)));
  const QByteArray index = buildIndex(*setup, video, audio, payloadAt - first);

  // The original stays on the card: a copy lost to a crash can be made
  // again, so the copy is not forced to the disk before the rename.
  AtomicFileWriter out(outputPath, false);
  if (!out.open(&error)) return fail(error);
  out.write(head.data().constData(), head.data().size());
  // Pieces small enough for a smooth progress and a prompt cancel.
  constexpr std::int64_t kPiece = 4 << 20;
  for (std::int64_t at = first; at < last; at += kPiece) {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
      out.discard();
      result.cancelled = true;
      return fail(tr("Cancelled."));
    }
    if (!out.copyFrom(damaged.fd, at, std::min(kPiece, last - at))) break;
    if (progress) progress(0.5 + 0.5 * double(at - first) / double(last - first));
  }
  out.write(index.constData(), index.size());
  if (!out.commit(&error)) return fail(error);
  if (progress) progress(1.0);
  result.ok = true;
  result.videoFrames = int(video.size());
  result.audioFrames = int(audio.size());
  result.seconds = double(video.size()) * setup->video.commonDelta() / setup->video.timescale;
  return result;
}

}  // namespace dashcard
