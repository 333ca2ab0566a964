#include "ui/app/preferences.h"

#include "core/common/const_class.h"
#include "core/common/hardware_decoding.h"
#include "core/map/online_tile_source.h"
#include "ui/catalogue/trip_list_view.h"
#include "ui/graph/graph_view_controller.h"
#include "ui/map/map_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

namespace dashcard {
namespace {

constexpr auto kSpeedUnitKey = "speedUnit";
constexpr auto kCacheLimitKey = "thumbnailCacheLimit";
constexpr auto kVideoSurfaceKey = "videoSurface";
const QStringList kSpeedUnits = {QStringLiteral("system"), QStringLiteral("km/h"), QStringLiteral("mph")};
const QStringList kSurfaces = {QStringLiteral("automatic"), QStringLiteral("opengl"), QStringLiteral("software")};

}  // namespace

Preferences Preferences::load() {
  const QSettings settings;
  Preferences p;
  p.speedUnit = CustomLocation::SpeedUnit(
      std::max<qsizetype>(0, kSpeedUnits.indexOf(settings.value(QLatin1String(kSpeedUnitKey)).toString())));
  p.thumbnailCacheLimit =
      std::clamp(settings.value(QLatin1String(kCacheLimitKey), ConstClass::MAX_THUMB_CACHE).toInt(), 100, 1000000);
  const QString surface = settings.value(QLatin1String(kVideoSurfaceKey)).toString();
  p.videoSurface = kSurfaces.contains(surface) ? surface : kSurfaces.first();
  p.hardwareDecoding = hardwareDecodingEnabled();
  p.map = TileSourceChoice::load();
  p.trips = TripPreferences::load();
  return p;
}

void Preferences::save() const {
  QSettings settings;
  settings.setValue(QLatin1String(kSpeedUnitKey), kSpeedUnits.value(int(speedUnit)));
  settings.setValue(QLatin1String(kCacheLimitKey), thumbnailCacheLimit);
  settings.setValue(QLatin1String(kVideoSurfaceKey), videoSurface);
  setHardwareDecodingEnabled(hardwareDecoding);
  map.save();
  trips.save();
}

void Preferences::apply() const { CustomLocation::setSpeedUnit(speedUnit); }

PreferencesDialog::PreferencesDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Preferences"));
  const Preferences p = Preferences::load();
  auto* form = new QFormLayout;

  unit_ = new QComboBox(this);
  unit_->addItems({tr("By the system's language"), tr("km/h"), tr("mph")});
  unit_->setCurrentIndex(int(p.speedUnit));
  form->addRow(tr("Speed unit:"), unit_);

  map_ = new QComboBox(this);
  map_->addItems({tr("Built-in World Map"), tr("OpenStreetMap (Online)"), tr("MBTiles File"), tr("Tile Folder")});
  map_->setCurrentIndex(int(p.map.kind));
  mapPath_ = new QLineEdit(p.map.path, this);
  auto* browse = new QPushButton(tr("Choose…"), this);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(mapPath_);
  pathRow->addWidget(browse);
  form->addRow(tr("Map:"), map_);
  form->addRow(tr("Map file or folder:"), pathRow);
  server_ = new QLineEdit(TileSourceChoice::urlTemplate(), this);
  server_->setPlaceholderText(OnlineTileSource::defaultUrlTemplate());
  server_->setToolTip(tr("The address of one tile, with {z}, {x} and {y} where the zoom and the tile's column and "
                         "row go. It is tried before it is kept."));
  form->addRow(tr("Tile server:"), server_);
  serverCredit_ = new QLineEdit(TileSourceChoice::onlineAttribution(), this);
  serverCredit_->setPlaceholderText(tr("© OpenStreetMap contributors"));
  serverCredit_->setToolTip(tr("Shown on the map, as the tiles' licence asks."));
  form->addRow(tr("Tile credit:"), serverCredit_);
  const auto updatePath = [this, browse] {
    const bool needsPath = map_->currentIndex() >= TileSourceChoice::kMbTiles;
    mapPath_->setEnabled(needsPath);
    browse->setEnabled(needsPath);
    server_->setEnabled(map_->currentIndex() == TileSourceChoice::kOnline);
    serverCredit_->setEnabled(map_->currentIndex() == TileSourceChoice::kOnline);
  };
  connect(map_, &QComboBox::currentIndexChanged, this, updatePath);
  updatePath();
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString path = map_->currentIndex() == TileSourceChoice::kMbTiles
                             ? QFileDialog::getOpenFileName(this, tr("Choose an MBTiles File"), mapPath_->text(),
                                                            tr("MBTiles files (*.mbtiles);;All files (*)"))
                             : QFileDialog::getExistingDirectory(this, tr("Choose a Folder of Tiles"), mapPath_->text());
    if (!path.isEmpty()) mapPath_->setText(path);
  });

  cacheLimit_ = new QSpinBox(this);
  cacheLimit_->setRange(100, 1000000);
  cacheLimit_->setSingleStep(500);
  cacheLimit_->setSuffix(tr(" thumbnails"));
  cacheLimit_->setValue(p.thumbnailCacheLimit);
  form->addRow(tr("Thumbnail cache limit:"), cacheLimit_);

  surface_ = new QComboBox(this);
  surface_->addItems({tr("Automatic"), tr("OpenGL"), tr("Software")});
  surface_->setCurrentIndex(std::max<qsizetype>(0, kSurfaces.indexOf(p.videoSurface)));
  surface_->setToolTip(tr("Used by the video panes of windows opened afterwards."));
  form->addRow(tr("Video drawing:"), surface_);

  hardwareDecoding_ = new QCheckBox(tr("Decode with the graphics hardware when it can"), this);
  hardwareDecoding_->setChecked(p.hardwareDecoding);
  hardwareDecoding_->setToolTip(
      tr("Used by the players of windows opened afterwards and by side-by-side exports. Without a graphics device "
         "that decodes video, decoding stays in software."));
  form->addRow(tr("Hardware decoding:"), hardwareDecoding_);
  // Trips and driving events.
  const auto gSpin = [this](double value, const QString& tip) {
    auto* spin = new QDoubleSpinBox(this);
    spin->setRange(0.05, 2.0);
    spin->setSingleStep(0.05);
    spin->setDecimals(2);
    spin->setSuffix(tr(" g"));
    spin->setValue(value);
    spin->setToolTip(tip);
    return spin;
  };
  tripGap_ = new QSpinBox(this);
  tripGap_->setObjectName(QStringLiteral("tripGap"));
  tripGap_->setRange(0, 24 * 60);
  tripGap_->setSuffix(tr(" min"));
  tripGap_->setValue(p.trips.gapMinutes);
  tripGap_->setToolTip(tr("A pause between recordings longer than this starts a new trip."));
  form->addRow(tr("Trip gap:"), tripGap_);
  brakingG_ = gSpin(p.trips.thresholds.brakingG, tr("Deceleration at or above this is hard braking."));
  brakingG_->setObjectName(QStringLiteral("brakingG"));
  form->addRow(tr("Hard braking:"), brakingG_);
  accelerationG_ = gSpin(p.trips.thresholds.accelerationG, tr("Acceleration at or above this is hard acceleration."));
  accelerationG_->setObjectName(QStringLiteral("accelerationG"));
  form->addRow(tr("Hard acceleration:"), accelerationG_);
  corneringG_ = gSpin(p.trips.thresholds.corneringG, tr("Sideways force at or above this is sharp cornering."));
  corneringG_->setObjectName(QStringLiteral("corneringG"));
  form->addRow(tr("Sharp cornering:"), corneringG_);
  eventSeconds_ = new QDoubleSpinBox(this);
  eventSeconds_->setObjectName(QStringLiteral("eventSeconds"));
  eventSeconds_->setRange(0.0, 10.0);
  eventSeconds_->setSingleStep(0.1);
  eventSeconds_->setDecimals(1);
  eventSeconds_->setSuffix(tr(" s"));
  eventSeconds_->setValue(p.trips.thresholds.minimumSeconds);
  eventSeconds_->setToolTip(tr("Shorter jolts (a pothole, a door) are not driving events."));
  form->addRow(tr("Shortest driving event:"), eventSeconds_);
  clockThreshold_ = new QDoubleSpinBox(this);
  clockThreshold_->setObjectName(QStringLiteral("clockThreshold"));
  clockThreshold_->setRange(0.0, 24 * 60);
  clockThreshold_->setDecimals(1);
  clockThreshold_->setSuffix(tr(" min"));
  clockThreshold_->setValue(p.trips.clockOffsetThresholdMinutes);
  clockThreshold_->setToolTip(tr("A camera clock further than this from GPS time is pointed out once per card."));
  form->addRow(tr("Clock check:"), clockThreshold_);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("tileServerStatus"));
  status_->setWordWrap(true);
  status_->hide();
  form->addRow(status_);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons_);
  setLayout(form);
}

void PreferencesDialog::accept() {
  const QString server = server_->text().trimmed();
  if (map_->currentIndex() != TileSourceChoice::kOnline || server.isEmpty() ||
      server == TileSourceChoice::urlTemplate()) {
    save();
    return;
  }
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(false);
  status_->setText(tr("Trying the tile server…"));
  status_->show();
  OnlineTileSource::checkTemplate(server, this, [this, server](const QString& error) {
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(true);
    if (!error.isEmpty()) {
      status_->setText(error);
      return;
    }
    TileSourceChoice::saveOnlineServer(server, serverCredit_->text());
    save();
  });
}

void PreferencesDialog::save() {
  if (map_->currentIndex() == TileSourceChoice::kOnline && server_->text().trimmed().isEmpty()) {
    TileSourceChoice::saveOnlineServer({}, {});
  } else if (map_->currentIndex() == TileSourceChoice::kOnline) {
    // The address is unchanged; its credit may have been edited.
    TileSourceChoice::saveOnlineServer(TileSourceChoice::urlTemplate(), serverCredit_->text());
  }
  Preferences p;
  p.speedUnit = CustomLocation::SpeedUnit(unit_->currentIndex());
  p.thumbnailCacheLimit = cacheLimit_->value();
  p.videoSurface = kSurfaces.value(surface_->currentIndex());
  p.hardwareDecoding = hardwareDecoding_->isChecked();
  p.map = {TileSourceChoice::Kind(map_->currentIndex()),
           map_->currentIndex() >= TileSourceChoice::kMbTiles ? mapPath_->text() : QString()};
  p.trips.gapMinutes = tripGap_->value();
  p.trips.thresholds.brakingG = brakingG_->value();
  p.trips.thresholds.accelerationG = accelerationG_->value();
  p.trips.thresholds.corneringG = corneringG_->value();
  p.trips.thresholds.minimumSeconds = eventSeconds_->value();
  p.trips.clockOffsetThresholdMinutes = clockThreshold_->value();
  const Preferences old = Preferences::load();
  const TileSourceChoice oldMap = old.map;
  const TripPreferences& t = p.trips;
  const TripPreferences& o = old.trips;
  const bool tripsChanged = t.gapMinutes != o.gapMinutes || t.thresholds.brakingG != o.thresholds.brakingG ||
                            t.thresholds.accelerationG != o.thresholds.accelerationG ||
                            t.thresholds.corneringG != o.thresholds.corneringG ||
                            t.thresholds.minimumSeconds != o.thresholds.minimumSeconds;
  p.save();
  p.apply();
  // A new server or credit takes effect like a new source.
  const bool mapChanged = oldMap.kind != p.map.kind || oldMap.path != p.map.path || p.map.kind == TileSourceChoice::kOnline;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (mapChanged) {
      for (MapView* map : window->findChildren<MapView*>()) map->chooseTileSource(p.map);
    }
    for (GraphViewController* graph : window->findChildren<GraphViewController*>()) graph->speedUnitDidChange();
    if (tripsChanged) {
      for (TripListView* trips : window->findChildren<TripListView*>()) trips->refresh();
    }
  }
  QDialog::accept();
}

}  // namespace dashcard
