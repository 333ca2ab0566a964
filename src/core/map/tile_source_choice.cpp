#include "core/map/tile_source_choice.h"

#include "core/map/mb_tiles_source.h"
#include "core/map/online_tile_source.h"

#include <QCoreApplication>
#include <QSettings>
#include <QUrl>

namespace dashcard {

namespace {
const char* const kKindNames[] = {"builtin", "online", "mbtiles", "folder"};
}

TileSourceChoice TileSourceChoice::load() {
  QSettings settings;
  TileSourceChoice choice;
  const QString kind = settings.value(QStringLiteral("MapTileSource")).toString();
  for (int i = 0; i < 4; ++i) {
    if (kind == QLatin1String(kKindNames[i])) choice.kind = Kind(i);
  }
  choice.path = settings.value(QStringLiteral("MapTileSourcePath")).toString();
  return choice;
}

void TileSourceChoice::save() const {
  QSettings settings;
  settings.setValue(QStringLiteral("MapTileSource"), QLatin1String(kKindNames[kind]));
  settings.setValue(QStringLiteral("MapTileSourcePath"), path);
}

QString TileSourceChoice::urlTemplate() {
  const QString t = QSettings().value(QStringLiteral("MapTileURLTemplate")).toString();
  return t.isEmpty() ? OnlineTileSource::defaultUrlTemplate() : t;
}

QString TileSourceChoice::onlineAttribution() {
  return QSettings().value(QStringLiteral("MapTileAttribution")).toString();
}

void TileSourceChoice::saveOnlineServer(const QString& urlTemplate, const QString& attribution) {
  QSettings settings;
  const bool standard = urlTemplate.isEmpty() || urlTemplate == OnlineTileSource::defaultUrlTemplate();
  settings.setValue(QStringLiteral("MapTileURLTemplate"), standard ? QString() : urlTemplate);
  // A server without a credit of its own is credited by its name.
  const QString credit = attribution.trimmed().isEmpty() ? QUrl(urlTemplate).host() : attribution.trimmed();
  settings.setValue(QStringLiteral("MapTileAttribution"), standard ? QString() : credit);
}

std::unique_ptr<TileSource> TileSourceChoice::create(QString* error) const {
  switch (kind) {
    case kBuiltIn:
      return nullptr;
    case kOnline:
      return std::make_unique<OnlineTileSource>(urlTemplate(), OnlineTileSource::defaultCacheDirectory(),
                                                onlineAttribution());
    case kMbTiles: {
      auto source = std::make_unique<MbTilesSource>(path);
      if (!source->errorString().isEmpty()) {
        if (error != nullptr) *error = source->errorString();
        return nullptr;
      }
      return source;
    }
    case kFolder:
      return std::make_unique<FileTileSource>(path);
  }
  return nullptr;
}

}  // namespace dashcard
