#include "ui/app/placeholder_map_pane.h"

#include "core/catalogue/custom_point_annotation.h"

#include <QPainter>

namespace dashcard {

PlaceholderMapPane::PlaceholderMapPane(QWidget* parent)
    : QWidget(parent), userLocation_(std::make_shared<CustomPointAnnotation>()) {
  setObjectName(QStringLiteral("MapPane"));
  userLocation_->isUserLocation = true;
  setMinimumSize(200, 120);
}

void PlaceholderMapPane::reloadDCFInfo(const DCFInfoList& infos) { infos_ = infos; }

void PlaceholderMapPane::updateDCF(const DCFInfoPtr&, double, double) {}

void PlaceholderMapPane::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(38, 41, 44));
}

}  // namespace dashcard
