#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

namespace dashcard {

// Small image helpers for drawn labels (the graph's vertical axis titles).
class CaptureViewUtility {
 public:
  CaptureViewUtility() = delete;

  // `text` centred in a transparent picture of `size`, in the system font of
  // `fontSize` points and `textColor`. Needs a QGuiApplication (fonts).
  static QImage captureLabelImageWithSize(const QSize& size, const QString& text, const QColor& textColor,
                                          double fontSize);
  // The image turned by 90 degrees: direction 0 counter-clockwise, any other
  // value clockwise; width and height are exchanged.
  static QImage rotateImage(const QImage& image, int direction);
};

}  // namespace dashcard
