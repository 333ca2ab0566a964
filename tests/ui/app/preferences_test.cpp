#include "ui/app/preferences.h"

#include "core/export/dcf_async_kml_builder.h"
#include "support/wait_for.h"

#include <QBuffer>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QDateTime>
#include <QLocale>
#include <QSettings>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <algorithm>

namespace dashcard {
namespace {

class PreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override { QSettings().clear(); }
  void TearDown() override {
    QSettings().clear();
    QLocale::setDefault(QLocale::c());
    CustomLocation::setSpeedUnit(CustomLocation::SpeedUnit::System);
  }
};

// What the dialog saves is what a restarted application applies.
TEST_F(PreferencesTest, DialogChoicesSurviveARestartAndSetTheSpeedUnit) {
  const struct {
    QLocale locale;
    int unitIndex;
    QString unit;
  } cases[] = {
      {QLocale(QLocale::English, QLocale::UnitedStates), 0, QStringLiteral("mph")},
      {QLocale(QLocale::German, QLocale::Germany), 0, QStringLiteral("km/h")},
      {QLocale(QLocale::English, QLocale::UnitedStates), 1, QStringLiteral("km/h")},
      {QLocale(QLocale::German, QLocale::Germany), 2, QStringLiteral("mph")},
  };
  for (const auto& c : cases) {
    QLocale::setDefault(c.locale);
    {
      PreferencesDialog dialog;
      dialog.findChildren<QComboBox*>().at(0)->setCurrentIndex(c.unitIndex);
      dialog.findChildren<QComboBox*>().at(2)->setCurrentIndex(2);
      dialog.findChild<QSpinBox*>()->setValue(1200);
      dialog.accept();
    }
    CustomLocation::setSpeedUnit(CustomLocation::SpeedUnit::System);
    const Preferences restarted = Preferences::load();
    restarted.apply();
    EXPECT_EQ(CustomLocation::unitForCurrentLocale(), c.unit) << c.unitIndex;
    // The exported KML's descriptions speak the chosen unit: 10 m/s is 36 km/h or 22.4 mph.
    CustomLocation location(35.0, 139.0, 0, 1, 1, 90.0, 10.0, QDateTime::currentDateTimeUtc());
    EXPECT_TRUE(DCFAsyncKMLBuilder::descriptionFooter(location, {})
                    .contains(c.unit == QLatin1String("mph") ? QStringLiteral("SPD: 22.4 mph<br>")
                                                             : QStringLiteral("SPD: 36.0 km/h<br>")))
        << c.unitIndex;
    EXPECT_EQ(restarted.thumbnailCacheLimit, 1200);
    EXPECT_EQ(restarted.videoSurface, QStringLiteral("software"));
  }
}

TEST_F(PreferencesTest, BrokenValuesFallBackToDefaults) {
  QSettings settings;
  settings.setValue(QStringLiteral("speedUnit"), QStringLiteral("furlongs"));
  settings.setValue(QStringLiteral("thumbnailCacheLimit"), -5);
  settings.setValue(QStringLiteral("videoSurface"), QStringLiteral("vulkan"));
  const Preferences p = Preferences::load();
  EXPECT_EQ(p.speedUnit, CustomLocation::SpeedUnit::System);
  EXPECT_EQ(p.thumbnailCacheLimit, 100);
  EXPECT_EQ(p.videoSurface, QStringLiteral("automatic"));
}

TEST_F(PreferencesTest, TripChoicesSurviveARestartAndBrokenOnesFallBack) {
  {
    PreferencesDialog dialog;
    dialog.findChild<QSpinBox*>(QStringLiteral("tripGap"))->setValue(12);
    dialog.findChild<QDoubleSpinBox*>(QStringLiteral("brakingG"))->setValue(0.6);
    dialog.findChild<QDoubleSpinBox*>(QStringLiteral("eventSeconds"))->setValue(1.0);
    dialog.findChild<QDoubleSpinBox*>(QStringLiteral("clockThreshold"))->setValue(10.0);
    dialog.accept();
  }
  const TripPreferences saved = Preferences::load().trips;
  EXPECT_EQ(saved.gapMinutes, 12);
  EXPECT_DOUBLE_EQ(saved.thresholds.brakingG, 0.6);
  EXPECT_DOUBLE_EQ(saved.thresholds.accelerationG, 0.35);
  EXPECT_DOUBLE_EQ(saved.thresholds.minimumSeconds, 1.0);
  EXPECT_TRUE(saved.clockOffsetIsLarge(-601.0));
  EXPECT_FALSE(saved.clockOffsetIsLarge(599.0));

  QSettings settings;
  settings.setValue(QStringLiteral("trips/gapMinutes"), QStringLiteral("soon"));
  settings.setValue(QStringLiteral("trips/brakingG"), -1.0);
  settings.setValue(QStringLiteral("trips/clockOffsetThresholdMinutes"), QStringLiteral("nan"));
  const TripPreferences broken = TripPreferences::load();
  EXPECT_EQ(broken.gapMinutes, 5);
  EXPECT_DOUBLE_EQ(broken.thresholds.brakingG, 0.45);
  EXPECT_DOUBLE_EQ(broken.clockOffsetThresholdMinutes, 2.0);
}

// A tile address is kept only once it answered a picture; until then the
// dialog stays open with the reason.
TEST_F(PreferencesTest, AnOnlineTileAddressIsTriedBeforeItIsKept) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  QObject::connect(&server, &QTcpServer::newConnection, [&server] {
    QTcpSocket* socket = server.nextPendingConnection();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
      const bool tile = socket->readAll().startsWith("GET /ok/0/0/0.png ");
      QByteArray body;
      if (tile) {
        QBuffer buffer(&body);
        buffer.open(QIODevice::WriteOnly);
        QImage(256, 256, QImage::Format_RGB32).save(&buffer, "PNG");
      }
      socket->write((tile ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") + QByteArray("Content-Length: ") +
                    QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
      socket->disconnectFromHost();
    });
  });
  const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort());
  PreferencesDialog dialog;
  dialog.show();
  auto* map = dialog.findChildren<QComboBox*>().at(1);
  map->setCurrentIndex(TileSourceChoice::kOnline);
  const QList<QLineEdit*> edits = dialog.findChildren<QLineEdit*>();
  QLineEdit* address = *std::find_if(edits.begin(), edits.end(),
                                     [](QLineEdit* e) { return e->text().contains(QLatin1String("{z}")); });
  QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
  auto* status = dialog.findChild<QLabel*>(QStringLiteral("tileServerStatus"));
  ASSERT_NE(status, nullptr);
  for (const QString& bad :
       {base + QStringLiteral("missing/{z}/{x}/{y}.png"), base + QStringLiteral("ok/{z}/{x}.png")}) {
    address->setText(bad);
    dialog.accept();
    DC_TRY_VERIFY(ok->isEnabled());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(status->text().contains(QLatin1String("tile"))) << qPrintable(status->text());
    EXPECT_FALSE(TileSourceChoice::urlTemplate().startsWith(base));
  }
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  address->setText(base + QStringLiteral("ok/{z}/{x}/{y}.png"));
  dialog.accept();
  DC_TRY_VERIFY(!dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(TileSourceChoice::urlTemplate(), base + QStringLiteral("ok/{z}/{x}/{y}.png"));
  EXPECT_EQ(Preferences::load().map.kind, TileSourceChoice::kOnline);
  EXPECT_EQ(TileSourceChoice::onlineAttribution(), QStringLiteral("127.0.0.1"));  // credited by the server's name
}

}  // namespace
}  // namespace dashcard
