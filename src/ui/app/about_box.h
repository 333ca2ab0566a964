#pragma once

#include "core/map/tile_source_choice.h"

#include <QCoreApplication>
#include <QString>

class QWidget;

namespace dashcard {

// Dashcard › About: version, licence and the credits the map data asks for.
class AboutBox {
  Q_DECLARE_TR_FUNCTIONS(dashcard::AboutBox)

 public:
  // The box's text for a map source: Natural Earth always (the built-in map
  // is drawn under every source), OpenStreetMap only while online tiles are chosen.
  static QString text(const TileSourceChoice& map);
  // Shows the box for the saved map source.
  static void show(QWidget* parent);
};

}  // namespace dashcard
