#include "ui/app/about_box.h"

#include "ui/app/application.h"

#include <QApplication>
#include <QMessageBox>

namespace dashcard {

QString AboutBox::text(const TileSourceChoice& map) {
  QString html = tr("<h3>Dashcard %1</h3><p>A viewer for the memory card of a vehicle camera.</p>")
                     .arg(QApplication::applicationVersion().toHtmlEscaped());
  html += tr("<p>Licence: GNU General Public License, version 3 or later (GPL-3.0-or-later).</p>");
  html += tr("<p>Built-in world map: Natural Earth (public domain, naturalearthdata.com).</p>");
  if (map.kind == TileSourceChoice::kOnline) {
    html += tr("<p>Online map tiles: © OpenStreetMap contributors (openstreetmap.org/copyright).</p>");
  }
  return html;
}

void AboutBox::show(QWidget* parent) {
  QMessageBox::about(parent, Application::ryndString(QT_TRANSLATE_NOOP("RyndStrings", "TEXT_APP_MENU_ABOUT_APP")),
                     text(TileSourceChoice::load()));
}

}  // namespace dashcard
