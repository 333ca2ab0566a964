#pragma once

#include "core/telemetry/nmea_data.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace dashcard::test {

// Writes telemetry bytes to a file of a temporary folder and parses it with `setup`.
class TelemetryFile {
 public:
  explicit TelemetryFile(const QByteArray& bytes, const QString& name = QStringLiteral("N_test.NMEA")) {
    path_ = dir_.filePath(name);
    write(bytes);
    data = std::make_unique<NMEAData>(path_);
  }
  void write(const QByteArray& bytes) const {
    QFile file(path_);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      file.write(bytes);
    }
  }
  NMEAData& parsed() {
    data->setup();
    return *data;
  }
  const QString& path() const { return path_; }

  std::unique_ptr<NMEAData> data;

 private:
  QTemporaryDir dir_;
  QString path_;
};

}  // namespace dashcard::test
