#include "core/settings/ini_file_exporter.h"

#include "core/common/atomic_file.h"

#include <QDebug>

namespace dashcard {

IniFileExporter::IniFileExporter(QString exportFilePath) : exportFilePath_(std::move(exportFilePath)) {}

bool IniFileExporter::exportSettings(const RyndSettingInfo& settings, QString* errorText) const {
  QString message;
  if (!writeFileAtomically(exportFilePath_, settings.exportText().toUtf8(), &message)) {
    qWarning().noquote() << QStringLiteral("Error: ") + message;
    if (errorText != nullptr) {
      *errorText = message;
    }
    return false;
  }
  return true;
}

}  // namespace dashcard
