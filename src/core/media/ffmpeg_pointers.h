#pragma once

// Owners of FFmpeg's objects, shared by the frame grabber and the span writer.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "core/common/regular_file.h"

#include <QString>

#include <memory>
#include <mutex>

#include <unistd.h>

namespace dashcard::ffmpeg {

struct InputCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;

inline PacketPtr newPacket() { return PacketPtr(av_packet_alloc()); }
inline FramePtr newFrame() { return FramePtr(av_frame_alloc()); }

// FFmpeg's text for an error code.
inline QString errorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return QString::fromLocal8Bit(text);
}

// FFmpeg's own log lines never reach the user's terminal: damaged clips
// are normal input here, and every failure that matters comes back as an
// error code that we turn into our own message.
inline void keepLogQuiet() {
  static std::once_flag quiet;
  std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
}

// The error of openRegularInput for anything but a regular file (a code
// of our own, so FFmpeg's own errors keep theirs).
inline constexpr int kNotRegularFile = FFERRTAG('D', 'C', 'N', 'R');

// avformat_open_input for a regular file only. FFmpeg opens blocking: a
// FIFO or a device would hang it. FFmpeg opens the very file checked by
// openRegularFile through /proc/self/fd, so nothing put in its place since
// can reach it.
inline int openRegularInput(AVFormatContext** context, const QString& path) {
  keepLogQuiet();
  const int fd = openRegularFile(path);
  if (fd < 0) {
    return kNotRegularFile;
  }
  const QByteArray handle = "/proc/self/fd/" + QByteArray::number(fd);
  const int result = avformat_open_input(context, handle.constData(), nullptr, nullptr);
  ::close(fd);
  return result;
}

}  // namespace dashcard::ffmpeg
