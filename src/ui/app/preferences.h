#pragma once

#include "core/map/tile_source_choice.h"
#include "core/telemetry/custom_location.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace dashcard {

// What the user can change in Dashcard › Preferences…, kept in QSettings.
// The map source is the map pane's own saved choice.
struct Preferences {
  CustomLocation::SpeedUnit speedUnit = CustomLocation::SpeedUnit::System;
  int thumbnailCacheLimit = 5000;
  QString videoSurface = QStringLiteral("automatic");  // automatic, opengl or software
  TileSourceChoice map;

  static Preferences load();
  void save() const;
  // Makes the choices take effect in this process.
  void apply() const;
};

class PreferencesDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PreferencesDialog(QWidget* parent = nullptr);
  // Saves and applies what the dialog shows; open maps switch source.
  void accept() override;

 private:
  QComboBox* unit_;
  QComboBox* map_;
  QLineEdit* mapPath_;
  QSpinBox* cacheLimit_;
  QComboBox* surface_;
};

}  // namespace dashcard
