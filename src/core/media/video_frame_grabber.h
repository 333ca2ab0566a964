#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

namespace dashcard {

// Takes single frames out of a video file with FFmpeg: seeks to the key
// frame before the time and decodes forward to the first frame at or after
// it. HD frames use BT.709 colours like the player, so a grabbed frame
// matches what was on screen. One grabber serves one file on one thread; it
// may be asked for many frames.
class VideoFrameGrabber {
 public:
  explicit VideoFrameGrabber(const QString& path);
  ~VideoFrameGrabber();
  VideoFrameGrabber(const VideoFrameGrabber&) = delete;
  VideoFrameGrabber& operator=(const VideoFrameGrabber&) = delete;

  // False when the file could not be opened as a video; `errorString` says why.
  bool isOpen() const;
  QString errorString() const;
  // Seconds; 0 when unknown.
  double duration() const;
  // Size of the decoded pictures (display aspect applied).
  QSize frameSize() const;

  // The first frame whose time is at or after `seconds` (the last frame when
  // the file ends earlier), scaled to fit within `maxSize` keeping its
  // aspect ratio, or at full size when `maxSize` is empty. A null image when
  // no frame can be decoded. `frameSeconds` receives the frame's time.
  QImage frameAt(double seconds, QSize maxSize = {}, double* frameSeconds = nullptr);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace dashcard
