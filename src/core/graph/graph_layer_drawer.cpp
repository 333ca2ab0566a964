#include "core/graph/graph_layer_drawer.h"

#include "core/common/color_palette.h"
#include "core/graph/graph_samples.h"
#include "core/telemetry/custom_location.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace dashcard {

namespace {

constexpr double kTickLength = 5.0;
// The flag over an event: a triangle this wide, pointing down at its start.
constexpr double kEventFlagWidth = 9.0;
// A band at least this wide, so a short event still shows.
constexpr double kMinEventBand = 2.0;

// The speed a group stands for: its own when known, else the one carried
// over; the first group borrows the second's.
float groupSpeed(const QList<GOPData>& gops, qsizetype i) {
  const CustomLocation& location = gops[i].location();
  if (location.speed != -1.0) return location.speedForCurrentLocale();
  if (i > 0) return CustomLocation::speedForCurrentLocale(location.correctedSpeed);
  return gops[1].location().speedForCurrentLocale();
}

}  // namespace

void GraphLayerDrawer::drawContents(QPainter* painter, const QRectF& rect) const {
  const double width = rect.width();
  const double height = rect.height();
  const double ox = offsetX_;
  const double oy = offsetY_;
  const double maxSpeed = maxSpeedValue_ == 0.0 ? 1.0 : maxSpeedValue_;
  const double maxMotion = maxMotionABSValue_ == 0.0 ? 1.0 : maxMotionABSValue_;
  const double left = ox;
  const double right = width - ox;
  const double bottom = oy;
  const double top = height - oy;
  const double mid = height / 2.0;
  const double span = top - bottom;

  painter->save();
  painter->setClipRect(rect);
  // Chart coordinates: y grows upwards from the bottom edge of the rectangle.
  painter->translate(rect.left(), rect.top() + height);
  painter->scale(1.0, -1.0);
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setBrush(Qt::NoBrush);

  painter->setPen(QPen(ColorPalette::graphAxisColor(), 1.0));
  painter->drawLine(QPointF(left, mid), QPointF(right, mid));
  painter->drawLine(QPointF(left, bottom), QPointF(left, top));
  painter->drawLine(QPointF(right, bottom), QPointF(right, top));
  for (int i = 4; i >= 0; --i) {
    const double y = oy + i * span / 4.0;
    painter->drawLine(QPointF(left - kTickLength, y), QPointF(left, y));
    painter->drawLine(QPointF(right, y), QPointF(right + kTickLength, y));
  }

  if (!currentGOPs_ || currentGOPs_->size() < 2) {
    painter->restore();
    return;
  }
  const QList<GOPData>& gops = *currentGOPs_;
  const qsizetype n = gops.size();
  std::size_t sampleCount = 0;
  for (const GOPData& gop : gops) sampleCount += gop.motions().size();
  const double groupStep = (right - left) / static_cast<double>(n - 1);
  // A single sample sits at the left edge rather than at 0 x infinity.
  const double sampleStep = sampleCount > 1 ? (right - left) / static_cast<double>(sampleCount - 1) : 0.0;
  const double speedScale = span / maxSpeed;
  const double motionScale = span / (2.0 * maxMotion);

  QPolygonF speedLine;
  speedLine.reserve(n);
  std::array<QPolygonF, 3> curves;
  for (QPolygonF& curve : curves) curve.reserve(static_cast<qsizetype>(std::min<double>(sampleCount, 4.0 * width)));
  struct Mark {
    double x;
    QColor color;
  };
  std::vector<Mark> marks;

  // A speed the receiver made up for a second is bridged; the model keeps it.
  const std::vector<std::optional<double>> bridged = GraphSamples::bridgedSpeeds(gops);

  std::size_t k = 0;
  for (qsizetype i = 0; i < n; ++i) {
    const GOPData& gop = gops[i];
    const auto& replacement = bridged[static_cast<std::size_t>(i)];
    const double s = replacement ? CustomLocation::speedForCurrentLocale(*replacement) : groupSpeed(gops, i);
    const double x = static_cast<double>(i) * groupStep + ox;
    speedLine.append(QPointF(x, std::max(oy, s * speedScale + oy)));
    for (const DriveSupportData& record : gop.driveSupportInfos()) {
      for (const ADASLineData& mark : record.appearanceLineInfos()) {
        marks.push_back({x + (mark.position() - 5.0) * 0.1 * groupStep, mark.color()});
      }
    }
    // One point per pixel column and per changed pixel row; the last sample
    // of a group always lands so the curve reaches the next group's start.
    long long column = -1;
    std::array<long long, 3> rows = {-1, -1, -1};
    const TelemetryList<MotionData> motions = gop.motions();
    const std::size_t count = motions.size();
    for (std::size_t j = 0; j < count; ++j, ++k) {
      const double xk = static_cast<double>(k) * sampleStep + ox;
      const auto xColumn = static_cast<long long>(xk);
      if (xColumn == column) continue;
      const MotionData& m = motions[j];
      const std::array<double, 3> g = {m.gx(), m.gy(), m.gz()};
      for (int a = 0; a < 3; ++a) {
        const double y = g[a] * motionScale + mid;
        if (k == 0) {
          curves[a].append(QPointF(xk, y));
          continue;
        }
        const auto row = static_cast<long long>(y);
        if (j + 1 == count || row != rows[a]) curves[a].append(QPointF(xk, y));
        rows[a] = row;
      }
      column = xColumn;
    }
  }

  drawEventMarks(painter, left, right, bottom, top);
  for (const Mark& mark : marks) {
    QPen pen(mark.color, 1.0);
    pen.setDashPattern({2.0, 1.0});
    pen.setDashOffset(0.0);
    painter->setPen(pen);
    painter->drawLine(QPointF(mark.x, bottom), QPointF(mark.x, top));
  }
  painter->setRenderHint(QPainter::Antialiasing, antialiased_);
  const std::array<QColor, 3> colors = {ColorPalette::graphGXColor(), ColorPalette::graphGYColor(),
                                        ColorPalette::graphGZColor()};
  for (int a = 0; a < 3; ++a) {
    painter->setPen(QPen(colors[a], 1.0));
    painter->drawPolyline(curves[a]);
  }
  painter->setPen(QPen(ColorPalette::graphSpeedColor(), 1.0));
  painter->drawPolyline(speedLine);
  painter->restore();
}

void GraphLayerDrawer::drawEventMarks(QPainter* painter, double left, double right, double bottom, double top) const {
  const double width = right - left;
  for (const EventMark& mark : eventMarks_) {
    const double x0 = left + std::clamp(mark.from, 0.0, 1.0) * width;
    const double x1 = std::max(x0 + kMinEventBand, left + std::clamp(mark.to, 0.0, 1.0) * width);
    QColor band = DrivingEvent::kindColor(mark.kind);
    band.setAlpha(70);
    painter->fillRect(QRectF(x0, bottom, x1 - x0, top - bottom), band);
    // Chart coordinates: the flag hangs from the top edge.
    QPolygonF flag;
    flag << QPointF(x0 - kEventFlagWidth / 2.0, top) << QPointF(x0 + kEventFlagWidth / 2.0, top)
         << QPointF(x0, top - kEventFlagWidth);
    painter->setPen(Qt::NoPen);
    painter->setBrush(DrivingEvent::kindColor(mark.kind));
    painter->drawPolygon(flag);
    painter->setBrush(Qt::NoBrush);
  }
}

}  // namespace dashcard
