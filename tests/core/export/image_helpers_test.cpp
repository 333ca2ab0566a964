#include "core/common/image_rotation.h"
#include "core/export/capture_view_utility.h"
#include "core/media/image_capture.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

TEST(ImageHelpers, RotationSizesAndIdentity) {
  QImage image(30, 10, QImage::Format_ARGB32);
  image.fill(Qt::blue);
  EXPECT_EQ(imageRotated(image, 45.0f).size(), QSize(50, 50));
  EXPECT_EQ(imageRotated(image, 90.0f).size(), QSize(10, 30));
  EXPECT_EQ(imageRotated(image, -270.0f).size(), QSize(10, 30));
  EXPECT_EQ(imageRotated(image, 180.0f).size(), QSize(30, 10));
  EXPECT_EQ(imageRotated(image, 360.0f).cacheKey(), image.cacheKey());
  EXPECT_EQ(imageRotated(image, -720.0f).cacheKey(), image.cacheKey());
}

TEST(ImageHelpers, QuarterTurnsFlipsAndBitmaps) {
  QImage image(4, 2, QImage::Format_ARGB32);
  image.fill(Qt::black);
  image.setPixelColor(0, 0, Qt::red);  // top left
  const QImage left = CaptureViewUtility::rotateImage(image, 0);
  ASSERT_EQ(left.size(), QSize(2, 4));
  EXPECT_EQ(left.pixelColor(0, 3), QColor(Qt::red));  // counter-clockwise: top left goes bottom left
  const QImage right = CaptureViewUtility::rotateImage(image, 1);
  EXPECT_EQ(right.pixelColor(1, 0), QColor(Qt::red));
  EXPECT_EQ(ImageCapture::flipImageHorizontally(image).pixelColor(3, 0), QColor(Qt::red));
  const QImage bitmap = ImageCapture::bitmapImageRepresentation(image);
  EXPECT_EQ(bitmap.format(), QImage::Format_RGBA8888);
  EXPECT_EQ(bitmap.pixelColor(0, 0), QColor(Qt::red));
  EXPECT_TRUE(ImageCapture::bitmapImageRepresentation(QImage()).isNull());
}

TEST(ImageHelpers, LabelIsDrawnInTheRequestedSize) {
  const QImage label = CaptureViewUtility::captureLabelImageWithSize(QSize(80, 20), QStringLiteral("km/h"),
                                                                    Qt::white, 11.0);
  ASSERT_EQ(label.size(), QSize(80, 20));
  bool drawn = false;
  for (int y = 0; y < label.height() && !drawn; ++y) {
    for (int x = 0; x < label.width() && !drawn; ++x) {
      drawn = qAlpha(label.pixel(x, y)) > 0;
    }
  }
  EXPECT_TRUE(drawn);
  EXPECT_EQ(qAlpha(label.pixel(0, 0)), 0);
  EXPECT_TRUE(CaptureViewUtility::captureLabelImageWithSize(QSize(0, 5), QStringLiteral("x"), Qt::white, 9).isNull());
}

}  // namespace
}  // namespace dashcard
