#include "core/map/world_map_data.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace dashcard {

namespace {

// Reads the varints of the resource; any overrun marks the reader bad.
class Reader {
 public:
  explicit Reader(const QByteArray& data) : data_(data) {}
  bool ok() const { return ok_; }
  quint8 byte() {
    if (pos_ >= data_.size()) {
      ok_ = false;
      return 0;
    }
    return static_cast<quint8>(data_[pos_++]);
  }
  quint64 varint() {
    quint64 value = 0;
    for (int shift = 0; shift < 64 && ok_; shift += 7) {
      const quint8 b = byte();
      value |= quint64(b & 0x7F) << shift;
      if ((b & 0x80) == 0) return value;
    }
    ok_ = false;
    return 0;
  }
  qint64 signedVarint() {
    const quint64 v = varint();
    return static_cast<qint64>(v >> 1) ^ -static_cast<qint64>(v & 1);
  }
  qsizetype remaining() const { return data_.size() - pos_; }

 private:
  const QByteArray& data_;
  qsizetype pos_ = 0;
  bool ok_ = true;
};

bool readLines(Reader& in, std::vector<WorldMapData::Line>& lines) {
  const quint64 count = in.varint();
  // Each line takes at least one byte: a count beyond the data is junk.
  if (!in.ok() || count > quint64(in.remaining())) return false;
  lines.reserve(count);
  for (quint64 i = 0; i < count && in.ok(); ++i) {
    const quint64 n = in.varint();
    if (!in.ok() || n > quint64(in.remaining()) / 2) return false;
    WorldMapData::Line line;
    line.points.reserve(n);
    line.bounds = MapRect::null();
    qint64 x = 0;
    qint64 y = 0;
    for (quint64 k = 0; k < n; ++k) {
      x += in.signedVarint();
      y += in.signedVarint();
      const MapPoint p = WebMercator::project({double(y) * 1e-5, double(x) * 1e-5});
      line.points.push_back(p);
      line.bounds = line.bounds.united(p);
    }
    lines.push_back(std::move(line));
  }
  return in.ok();
}

// Sutherland-Hodgman clipping of a closed ring to an axis-aligned box: the
// fill inside the box is unchanged, and a huge coastline shrinks to the part
// that matters for this tile.
std::vector<QPointF> clipRing(std::vector<QPointF> ring, const QRectF& box) {
  auto pass = [&ring](auto inside, auto cross) {
    if (ring.empty()) return;
    std::vector<QPointF> out;
    out.reserve(ring.size() + 4);
    QPointF prev = ring.back();
    bool prevIn = inside(prev);
    for (const QPointF& p : ring) {
      const bool in = inside(p);
      if (in != prevIn) out.push_back(cross(prev, p));
      if (in) out.push_back(p);
      prev = p;
      prevIn = in;
    }
    ring.swap(out);
  };
  const double l = box.left(), r = box.right(), t = box.top(), b = box.bottom();
  auto atX = [](const QPointF& a, const QPointF& c, double x) {
    return QPointF(x, a.y() + (c.y() - a.y()) * (x - a.x()) / (c.x() - a.x()));
  };
  auto atY = [](const QPointF& a, const QPointF& c, double y) {
    return QPointF(a.x() + (c.x() - a.x()) * (y - a.y()) / (c.y() - a.y()), y);
  };
  pass([l](const QPointF& p) { return p.x() >= l; }, [&](const QPointF& a, const QPointF& c) { return atX(a, c, l); });
  pass([r](const QPointF& p) { return p.x() <= r; }, [&](const QPointF& a, const QPointF& c) { return atX(a, c, r); });
  pass([t](const QPointF& p) { return p.y() >= t; }, [&](const QPointF& a, const QPointF& c) { return atY(a, c, t); });
  pass([b](const QPointF& p) { return p.y() <= b; }, [&](const QPointF& a, const QPointF& c) { return atY(a, c, b); });
  return ring;
}

// The line's points in tile pixels, dropping those closer than half a pixel
// to the last one kept.
std::vector<QPointF> tilePoints(const std::vector<MapPoint>& points, double scale, double ox, double oy) {
  std::vector<QPointF> out;
  out.reserve(points.size());
  for (const MapPoint& m : points) {
    const QPointF p((m.x - ox) * scale, (m.y - oy) * scale);
    if (!out.empty() && std::abs(p.x() - out.back().x()) < 0.5 && std::abs(p.y() - out.back().y()) < 0.5) continue;
    out.push_back(p);
  }
  return out;
}

}  // namespace

bool WorldMapData::load(const QByteArray& data) {
  levels_.clear();
  Reader in(data);
  if (!data.startsWith("DCWM")) return false;
  for (int i = 0; i < 4; ++i) in.byte();
  if (in.byte() != 1) return false;
  const int levelCount = in.byte();
  std::vector<Level> levels;
  for (int i = 0; i < levelCount && in.ok(); ++i) {
    Level level;
    level.firstZoom = in.byte();
    const int layers = in.byte();
    for (int k = 0; k < layers && in.ok(); ++k) {
      const int kind = in.byte();
      if (!readLines(in, kind == 0 ? level.land : level.borders)) return false;
    }
    levels.push_back(std::move(level));
  }
  if (!in.ok() || levels.empty()) return false;
  std::sort(levels.begin(), levels.end(), [](const Level& a, const Level& b) { return a.firstZoom < b.firstZoom; });
  levels_ = std::move(levels);
  return true;
}

const WorldMapData::Level* WorldMapData::levelForZoom(int zoom) const {
  const Level* found = nullptr;
  for (const Level& level : levels_) {
    if (level.firstZoom <= zoom || !found) found = &level;
  }
  return found;
}

QImage WorldMapData::renderTile(const TileId& tile, qreal devicePixelRatio) const {
  const int side = std::max(1, int(std::lround(WebMercator::kTileSize * devicePixelRatio)));
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(QColor::fromRgba(kSeaColor));
  image.setDevicePixelRatio(devicePixelRatio);
  const Level* level = levelForZoom(tile.z);
  if (level == nullptr || tile.z < 0 || tile.z > 30) return image;
  const double n = std::exp2(tile.z);
  const double ox = tile.x / n;
  const double oy = tile.y / n;
  const MapRect area{ox, oy, 1.0 / n, 1.0 / n};
  const MapRect margin = area.adjusted(2.0 / (n * side), 2.0 / (n * side));
  const double scale = n * side;
  const QRectF box(-2.0, -2.0, side + 4.0, side + 4.0);

  QPainterPath land;
  land.setFillRule(Qt::OddEvenFill);
  for (const Line& ring : level->land) {
    if (!ring.bounds.intersects(margin)) continue;
    const std::vector<QPointF> clipped = clipRing(tilePoints(ring.points, scale, ox, oy), box);
    if (clipped.size() < 3) continue;
    land.addPolygon(QPolygonF(QList<QPointF>(clipped.begin(), clipped.end())));
    land.closeSubpath();
  }
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(1.0 / devicePixelRatio, 1.0 / devicePixelRatio);
  painter.fillPath(land, QColor::fromRgba(kLandColor));
  QPen pen(QColor::fromRgba(kBorderColor), std::max(1.0, devicePixelRatio * (tile.z < 4 ? 0.8 : 1.2)));
  if (tile.z >= 4) pen.setDashPattern({4.0, 2.0});
  painter.setPen(pen);
  for (const Line& border : level->borders) {
    if (!border.bounds.intersects(margin)) continue;
    const std::vector<QPointF> points = tilePoints(border.points, scale, ox, oy);
    if (points.size() >= 2) painter.drawPolyline(points.data(), int(points.size()));
  }
  return image;
}

std::shared_ptr<const WorldMapData> WorldMapData::builtIn() {
  static std::once_flag once;
  static std::shared_ptr<const WorldMapData> data;
  std::call_once(once, [] {
    auto loaded = std::make_shared<WorldMapData>();
    QFile file(QStringLiteral(":/map/world.dcwm"));
    if (file.open(QIODevice::ReadOnly)) loaded->load(file.readAll());
    data = loaded;
  });
  return data;
}

}  // namespace dashcard
