#include "core/common/hardware_decoding.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace dashcard {
namespace {
constexpr auto kKey = "hardwareDecoding";
}  // namespace

bool hardwareDecodingEnabled() { return QSettings().value(QLatin1String(kKey), true).toBool(); }

void setHardwareDecodingEnabled(bool enabled) { QSettings().setValue(QLatin1String(kKey), enabled); }

bool shouldTryHardwareDecoding() {
  return hardwareDecodingEnabled() &&
         (QFileInfo::exists(QStringLiteral("/dev/nvidia0")) ||
          !QDir(QStringLiteral("/dev/dri")).entryList({QStringLiteral("renderD*")}, QDir::System).isEmpty());
}

}  // namespace dashcard
