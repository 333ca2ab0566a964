#pragma once

#include "core/map/tile_source_choice.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

class QWidget;

namespace dashcard {

// Dashcard › About: version, licence, the credits the map data asks for and
// every bundled data set and library with its licence.
class AboutBox {
  Q_DECLARE_TR_FUNCTIONS(dashcard::AboutBox)

 public:
  struct Credit {
    QString name;
    QString use;
    QString licence;
  };
  static QList<Credit> credits();

  // The box's text for a map source: Natural Earth always (the built-in map
  // is drawn under every source), OpenStreetMap only while online tiles are
  // chosen; and the video decoder in use ("software" when empty).
  static QString text(const TileSourceChoice& map, const QString& decoder = {});
  // Shows the box for the saved map source and the decoder of `parent`'s
  // front player.
  static void show(QWidget* parent);
};

}  // namespace dashcard
