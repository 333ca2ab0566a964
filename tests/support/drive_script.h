#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <array>
#include <cmath>
#include <vector>

namespace dashcard::test {

// A drive written second by second as a camera's telemetry file: the car's
// acceleration along the road and sideways (m/s^2) each second, the sensor
// mounted in any orientation, and fixes that can be broken on purpose.
// Everything else (speed, position, the G samples) follows from those.
class DriveScript {
 public:
  struct Second {
    double along = 0.0;     // m/s^2, positive when speeding up
    double sideways = 0.0;  // m/s^2
    bool valid = true;      // fix status A
    // Added to the written fix only (the car does not move).
    double jumpMetresNorth = 0.0;
    double speedBump = 0.0;  // m/s
    // One G sample of this second replaced by this much extra along the road (g).
    double knock = 0.0;
  };

  // `sensor` rows give the sensor's x, y, z as (forward, left, up) weights.
  using Mount = std::array<std::array<double, 3>, 3>;
  static Mount flat() { return {{{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}}; }

  DriveScript(QDateTime startUtc, double speed, Mount mount = flat())
      : start_(std::move(startUtc)), speed_(speed), mount_(mount) {}

  QString tripID;
  double latitude = 35.6;
  double longitude = 139.6;
  int samplesPerSecond = 10;

  DriveScript& add(int count, const Second& second) {
    seconds_.insert(seconds_.end(), static_cast<std::size_t>(count), second);
    return *this;
  }
  DriveScript& cruise(int count) { return add(count, Second{}); }

  QByteArray text() const {
    QByteArray out;
    // The header the camera writes before the first fix.
    out += tripID.isEmpty() ? QByteArray("$QVSN,350000000000001\r\n") : "$GTRIP," + tripID.toLatin1() + ",1.04\r\n";
    double speed = speed_;
    double north = 0.0;
    double lat = latitude;
    unsigned noise = 7;
    for (std::size_t i = 0; i < seconds_.size(); ++i) {
      const Second& s = seconds_[i];
      const double next = std::max(0.0, speed + s.along);
      north += 0.5 * (speed + next);
      speed = next;
      lat = latitude + north / 111195.0;
      const QDateTime time = start_.addSecs(static_cast<qint64>(i));
      out += "$GNRMC," + time.toString(QStringLiteral("HHmmss.00")).toLatin1() + (s.valid ? ",A," : ",V,");
      if (s.valid) {
        out += coordinate(lat + s.jumpMetresNorth / 111195.0, 2) + ",N," + coordinate(longitude, 3) + ",E," +
               QByteArray::number((speed + s.speedBump) / 0.5144, 'f', 2) + ",0.0,";
      } else {
        out += ",,,,,,";
      }
      out += time.toString(QStringLiteral("ddMMyy")).toLatin1() + ",,,A*00\r\n";
      for (int k = 0; k < samplesPerSecond; ++k) {
        noise = noise * 1103515245u + 12345u;
        const double jitter = (static_cast<double>((noise >> 16) % 201) - 100.0) / 100.0 * 0.02;
        const double car[3] = {s.along / 9.81 + jitter + (k == 3 ? s.knock : 0.0), s.sideways / 9.81 - jitter,
                               1.0 + jitter};
        out += "$GSENS";
        for (int axis = 0; axis < 3; ++axis) {
          const double value = mount_[axis][0] * car[0] + mount_[axis][1] * car[1] + mount_[axis][2] * car[2];
          out += ',' + QByteArray::number(value, 'f', 3);
        }
        out += "\r\n";
      }
    }
    return out;
  }
  int seconds() const { return static_cast<int>(seconds_.size()); }

 private:
  static QByteArray coordinate(double degrees, int width) {
    const double whole = std::floor(degrees);
    QByteArray text = QByteArray::number(static_cast<int>(whole)).rightJustified(width, '0');
    const double minutes = (degrees - whole) * 60.0;
    return text + (minutes < 10 ? "0" : "") + QByteArray::number(minutes, 'f', 5);
  }

  QDateTime start_;
  double speed_;
  Mount mount_;
  std::vector<Second> seconds_;
};

}  // namespace dashcard::test
