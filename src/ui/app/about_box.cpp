#include "ui/app/about_box.h"

#include "ui/app/application.h"
#include "ui/playback/zoom_player_view_controller.h"

#include <QApplication>
#include <QMessageBox>

namespace dashcard {

QList<AboutBox::Credit> AboutBox::credits() {
  // Keep in step with docs/THIRD-PARTY.md (a test compares the two).
  return {
      {QStringLiteral("Natural Earth"), tr("built-in world map"), tr("public domain")},
      {QStringLiteral("GeoNames"), tr("town names of trips"), QStringLiteral("CC BY 4.0")},
      {QStringLiteral("viridis"), tr("speed colours of routes"), QStringLiteral("CC0-1.0")},
      {QStringLiteral("Qt 6"), tr("windows, files, network, SQLite map files"), QStringLiteral("LGPL-3.0-only")},
      {QStringLiteral("libmpv"), tr("video playback"), QStringLiteral("GPL-2.0-or-later")},
      {QStringLiteral("FFmpeg"), tr("thumbnails, stills, video export"), QStringLiteral("GPL-2.0-or-later")},
      {QStringLiteral("x264"), tr("H.264 encoding of side-by-side exports"), QStringLiteral("GPL-2.0-or-later")},
      {QStringLiteral("exiv2"), tr("GPS position in pictures"), QStringLiteral("GPL-2.0-or-later")},
      {QStringLiteral("ICU"), tr("dates in the language's styles"), QStringLiteral("Unicode-DFS-2016")},
      {QStringLiteral("libzip"), tr("KMZ files"), QStringLiteral("BSD-3-Clause")},
      {QStringLiteral("OpenSSL (libcrypto)"), tr("SHA-256 of backups and incident reports"),
       QStringLiteral("Apache-2.0")},
      {QStringLiteral("libmount, libudev"), tr("inserted cards"), QStringLiteral("LGPL-2.1-or-later")},
      {QStringLiteral("SQLite"), tr("MBTiles map files"), tr("public domain")},
  };
}

QString AboutBox::text(const TileSourceChoice& map, const QString& decoder) {
  QString html = tr("<h3>Dashcard %1</h3><p>A viewer for the memory card of a vehicle camera.</p>")
                     .arg(QApplication::applicationVersion().toHtmlEscaped());
  html += tr("<p>Licence: GNU General Public License, version 3 or later (GPL-3.0-or-later).</p>");
  html += tr("<p>Built-in world map: Natural Earth (public domain, naturalearthdata.com).</p>");
  if (map.kind == TileSourceChoice::kOnline) {
    const QString credit = TileSourceChoice::onlineAttribution();
    html += credit.isEmpty()
                ? tr("<p>Online map tiles: © OpenStreetMap contributors (openstreetmap.org/copyright).</p>")
                : tr("<p>Online map tiles: %1</p>").arg(credit.toHtmlEscaped());
  }
  html += tr("<p>Video decoding: %1</p>")
              .arg(decoder.isEmpty() || decoder == QLatin1String("software")
                       ? tr("software")
                       : tr("hardware (%1)").arg(decoder.toHtmlEscaped()));
  html += tr("<p>Made with these data sets and libraries:</p>") + QStringLiteral("<table>");
  for (const Credit& credit : credits()) {
    html += QStringLiteral("<tr><td>%1</td><td>&nbsp;%2&nbsp;</td><td>%3</td></tr>")
                .arg(credit.name.toHtmlEscaped(), credit.use.toHtmlEscaped(), credit.licence.toHtmlEscaped());
  }
  return html + QStringLiteral("</table>");
}

void AboutBox::show(QWidget* parent) {
  // The first player with a clip tells (the front one, which the rear follows).
  QString decoder;
  if (parent != nullptr) {
    for (const ZoomPlayerViewController* pane : parent->window()->findChildren<ZoomPlayerViewController*>()) {
      const CustomAVPlayer* player = pane->engine().player();
      if (player != nullptr && player->isLoaded()) {
        decoder = player->decoderInUse();
        break;
      }
    }
  }
  QMessageBox::about(parent, Application::ryndString(QT_TRANSLATE_NOOP("RyndStrings", "TEXT_APP_MENU_ABOUT_APP")),
                     text(TileSourceChoice::load(), decoder));
}

}  // namespace dashcard
