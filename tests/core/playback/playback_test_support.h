#pragma once

#include "core/playback/custom_av_player.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QCoreApplication>
#include <QProcess>
#include <QImage>
#include <QString>

namespace dashcard::test {

// Players for tests: no sound device, no hardware decoding.
inline CustomAVPlayer::Options headless() {
  CustomAVPlayer::Options options;
  options.audioOutput = QStringLiteral("null");
  options.hwdec = QStringLiteral("no");
  return options;
}

// A front (or rear) video of the shared sample card.
inline QString clipPath(int index, bool rear = false) {
  const auto& card = sharedCard();
  const auto& clip = card.clips().at(index);
  return card.path(rear ? clip.rearPath : clip.frontPath);
}

// The frame FFmpeg decodes at `seconds` of `path` (first frame at or after
// it), as RGB32, or a null image when ffmpeg fails.
inline QImage ffmpegFrame(const QString& path, double seconds, const QSize& size) {
  QProcess ffmpeg;
  ffmpeg.start(QStringLiteral("ffmpeg"),
               {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-ss"),
                QString::number(seconds, 'f', 6), QStringLiteral("-i"), path, QStringLiteral("-frames:v"),
                QStringLiteral("1"), QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                QStringLiteral("bgra"), QStringLiteral("-")});
  if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitCode() != 0) return {};
  const QByteArray data = ffmpeg.readAllStandardOutput();
  if (data.size() != qsizetype(size.width()) * size.height() * 4) return {};
  return QImage(reinterpret_cast<const uchar*>(data.constData()), size.width(), size.height(),
                QImage::Format_ARGB32)
      .convertToFormat(QImage::Format_RGB32);
}

// Mean absolute difference of the colour channels of two images of one size.
inline double meanDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return 1e9;
  const QImage x = a.convertToFormat(QImage::Format_RGB32);
  const QImage y = b.convertToFormat(QImage::Format_RGB32);
  double sum = 0;
  for (int row = 0; row < x.height(); ++row) {
    const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
    const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
    for (int col = 0; col < x.width(); ++col) {
      sum += std::abs(qRed(p[col]) - qRed(q[col])) + std::abs(qGreen(p[col]) - qGreen(q[col])) +
             std::abs(qBlue(p[col]) - qBlue(q[col]));
    }
  }
  return sum / (3.0 * x.width() * x.height());
}

}  // namespace dashcard::test
