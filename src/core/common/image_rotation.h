#pragma once

#include <QImage>

namespace dashcard {

// `image` turned by `angle` degrees about its centre, counter-clockwise on
// screen for positive angles. Multiples of 90 keep the picture's area (sides
// exchanged for odd multiples); other angles give a square of the longer side
// plus 20 pixels, so no corner is cut. An angle of 0 (mod 360) returns the image itself.
QImage imageRotated(const QImage& image, float angle);

}  // namespace dashcard
