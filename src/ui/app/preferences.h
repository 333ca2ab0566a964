#pragma once

#include "core/catalogue/trip_preferences.h"
#include "core/map/tile_source_choice.h"
#include "core/telemetry/custom_location.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace dashcard {

// What the user can change in Dashcard › Preferences…, kept in QSettings.
// The map source is the map pane's own saved choice.
struct Preferences {
  CustomLocation::SpeedUnit speedUnit = CustomLocation::SpeedUnit::System;
  int thumbnailCacheLimit = 5000;
  QString videoSurface = QStringLiteral("automatic");  // automatic, opengl or software
  bool hardwareDecoding = true;
  TileSourceChoice map;
  // Trips, driving events and the clock check.
  TripPreferences trips;

  static Preferences load();
  void save() const;
  // Makes the choices take effect in this process.
  void apply() const;
};

class PreferencesDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PreferencesDialog(QWidget* parent = nullptr);
  // Saves and applies what the dialog shows; open maps switch source. A new
  // online tile address is kept only after it answered a tile.
  void accept() override;

 private:
  void save();

  QComboBox* unit_;
  QComboBox* map_;
  QLineEdit* mapPath_;
  QLineEdit* server_;
  QLineEdit* serverCredit_;
  QLabel* status_;
  QDialogButtonBox* buttons_;
  QSpinBox* cacheLimit_;
  QComboBox* surface_;
  QCheckBox* hardwareDecoding_;
  QSpinBox* tripGap_;
  QDoubleSpinBox* brakingG_;
  QDoubleSpinBox* accelerationG_;
  QDoubleSpinBox* corneringG_;
  QDoubleSpinBox* eventSeconds_;
  QDoubleSpinBox* clockThreshold_;
};

}  // namespace dashcard
