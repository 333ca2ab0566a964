#include "core/common/color_palette.h"

// Apart from the palette: reading a colour's components needs the GUI
// library, which the palette itself does without.

namespace dashcard {

QString ColorPalette::colorString(const QColor& color) {
  // component x 255 truncated, computed on the 16-bit components in integers
  // so that 128/255 gives 80 and not 7F through rounding noise.
  const auto byte = [](quint16 component) {
    const int value = static_cast<int>((static_cast<quint32>(component) * 255u) / 65535u) & 0xFF;
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
  };
  const QRgba64 rgba = color.toRgb().rgba64();
  return byte(rgba.alpha()) + byte(rgba.blue()) + byte(rgba.green()) + byte(rgba.red());
}

}  // namespace dashcard
