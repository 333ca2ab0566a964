#include "core/telemetry/drive_support_data.h"
#include "core/telemetry/drive_support_marks.h"

#include "core/common/color_palette.h"
#include "core/common/const_class.h"
#include "core/telemetry/nmea_text.h"

#include <QCoreApplication>

namespace dashcard {
namespace {

double numberOrZero(const QString& text) {
  // The parser's number rule; unreadable gives 0 here, not a sentinel.
  const QByteArray utf8 = text.toUtf8();
  double value = 0.0;
  return nmea::readNumber(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), &value)
             ? value
             : 0.0;
}

}  // namespace

DriveSupportData::DriveSupportData(const QStringList& components) : QVDSAType_(ConstClass::QVDSA_TYPE_UNKNOWN) {
  if (components.size() != ConstClass::QVDSA_COUNT_QVCAM) {
    return;
  }
  delayStartPosition_ = numberOrZero(components.at(1));
  delayStart_ = components.at(2);
  laneDeparturePosition_ = numberOrZero(components.at(3));
  laneDepartureLebel_ = components.at(4);
  laneDepartureDirection_ = components.at(5);
  collisionDetectPosition_ = numberOrZero(components.at(6));
  collisionDetect_ = components.at(7);
  collisionDetectDistance_ = numberOrZero(components.at(8));
  collisionDetectPreTime_ = numberOrZero(components.at(9));
  QVDSAType_ = ConstClass::QVDSA_TYPE_QVCAM;
}

bool DriveSupportData::isCamera() const { return QVDSAType_ == ConstClass::QVDSA_TYPE_QVCAM; }

QString DriveSupportData::appearanceImageName() const {
  QString name;
  if (!isCamera()) {
    return name;
  }
  if (!delayStart_.isEmpty()) {
    name = ConstClass::QVDSA_ICONIMAGE_NAME_DELAY;
  }
  if (!laneDepartureLebel_.isEmpty()) {
    name = ConstClass::QVDSA_ICONIMAGE_NAME_DEPERTURE;
  }
  if (!collisionDetect_.isEmpty()) {
    name = ConstClass::QVDSA_ICONIMAGE_NAME_COLLISION;
  }
  return name;
}

QColor DriveSupportData::appearanceColor() const {
  QColor color = QColorConstants::Transparent;
  if (isCamera()) {
    if (!delayStart_.isEmpty()) {
      color = ColorPalette::adasDelayColor();
    }
    if (!laneDepartureLebel_.isEmpty()) {
      color = ColorPalette::adasLaneDepartureColor();
    }
    if (!collisionDetect_.isEmpty()) {
      color = ColorPalette::adasForwardCollisionColor();
    }
  }
  if (QVDSAType_ == ConstClass::QVDSA_TYPE_ZENTA) {
    color = ColorPalette::adasZENTAColor();
  }
  return color;
}

QString DriveSupportData::appearanceEventName() const {
  QString text;
  if (!isCamera()) {
    return text;
  }
  if (!delayStart_.isEmpty()) {
    text = QCoreApplication::translate("DriveSupportData", "発進遅れ");
  }
  if (!laneDepartureLebel_.isEmpty()) {
    if (laneDepartureDirection_ == QLatin1String("L")) {
      text = QCoreApplication::translate("DriveSupportData", "左車線注意");
    } else if (laneDepartureDirection_ == QLatin1String("R")) {
      text = QCoreApplication::translate("DriveSupportData", "右車線注意");
    }
  }
  if (!collisionDetect_.isEmpty()) {
    text = QCoreApplication::translate("DriveSupportData", "衝突注意");
  }
  return text;
}

std::vector<std::pair<double, QRgb>> driveSupportMarks(const DriveSupportData& record) {
  std::vector<std::pair<double, QRgb>> marks;
  if (record.QVDSAType() != ConstClass::QVDSA_TYPE_QVCAM) {
    return marks;
  }
  if (!record.delayStart().isEmpty()) {
    marks.emplace_back(record.delayStartPosition(), ColorPalette::kAdasDelayArgb);
  }
  if (!record.laneDepartureLebel().isEmpty()) {
    marks.emplace_back(record.laneDeparturePosition(), ColorPalette::kAdasLaneDepartureArgb);
  }
  if (!record.collisionDetect().isEmpty()) {
    marks.emplace_back(record.collisionDetectPosition(), ColorPalette::kAdasForwardCollisionArgb);
  }
  return marks;
}

QList<ADASLineData> DriveSupportData::appearanceLineInfos() const {
  QList<ADASLineData> marks;
  for (const auto& [position, argb] : driveSupportMarks(*this)) {
    marks.append(ADASLineData(position, QColor(QColor::Rgb, static_cast<ushort>(qAlpha(argb) * 0x101),
                                               static_cast<ushort>(qRed(argb) * 0x101),
                                               static_cast<ushort>(qGreen(argb) * 0x101),
                                               static_cast<ushort>(qBlue(argb) * 0x101))));
  }
  return marks;
}

}  // namespace dashcard
