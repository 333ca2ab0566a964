#include "core/common/hardware_decoding.h"

#include <QSettings>

namespace dashcard {
namespace {
constexpr auto kKey = "hardwareDecoding";
}  // namespace

bool hardwareDecodingEnabled() { return QSettings().value(QLatin1String(kKey), true).toBool(); }

void setHardwareDecodingEnabled(bool enabled) { QSettings().setValue(QLatin1String(kKey), enabled); }

}  // namespace dashcard
