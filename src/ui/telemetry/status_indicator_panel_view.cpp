#include "ui/telemetry/status_indicator_panel_view.h"

#include "ui/telemetry/image_assets.h"
#include "ui/telemetry/status_indicator_view.h"

#include <QHBoxLayout>

namespace dashcard {

StatusIndicatorPanelView::StatusIndicatorPanelView(QWidget* parent) : QWidget(parent) { setup(); }

void StatusIndicatorPanelView::setup() {
  brakeStausView_ = cretateStatuViewWithActiveImage(QStringLiteral("carinfo_brake_a"), QStringLiteral("carinfo_brake_n"));
  backStatusView_ = cretateStatuViewWithActiveImage(QStringLiteral("carinfo_back_a"), QStringLiteral("carinfo_back_n"));
  leftWinkerStatusView_ = cretateStatuViewWithActiveImage(QStringLiteral("carinfo_winker_left_a"),
                                                          QStringLiteral("carinfo_winker_left_n"));
  rightWinkerStatusView_ = cretateStatuViewWithActiveImage(QStringLiteral("carinfo_winker_right_a"),
                                                           QStringLiteral("carinfo_winker_right_n"));
  addStatatuViews({brakeStausView_, backStatusView_, leftWinkerStatusView_, rightWinkerStatusView_});
  isEnabled_ = false;
}

StatusIndicatorView* StatusIndicatorPanelView::cretateStatuViewWithActiveImage(const QString& active,
                                                                               const QString& deactive) {
  const qreal ratio = devicePixelRatioF();
  return new StatusIndicatorView(ImageAssets::imageNamed(active, {}, ratio), ImageAssets::imageNamed(deactive, {}, ratio),
                                 this);
}

void StatusIndicatorPanelView::addStatatuViews(const QList<StatusIndicatorView*>& views) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(4);
  for (StatusIndicatorView* view : views) row->addWidget(view);
}

void StatusIndicatorPanelView::setIsEnabled(bool enabled) {
  isEnabled_ = enabled;
  updateEnabled(enabled);
}

void StatusIndicatorPanelView::updateEnabled(bool enabled) {
  for (StatusIndicatorView* view : {brakeStausView_, backStatusView_, leftWinkerStatusView_, rightWinkerStatusView_}) {
    view->setIsEnabled(enabled);
  }
}

void StatusIndicatorPanelView::updateWithCarInfo(const std::optional<CarInfo>& info) {
  if (height() == 0) return;
  if (info && info->isInvalidData()) {
    brakeStausView_->setIsOn(info->isBrakeOn);
    backStatusView_->setIsOn(info->isBackOn);
    leftWinkerStatusView_->setIsOn(info->isLetfWinkerOn);
    rightWinkerStatusView_->setIsOn(info->isRightWinkerOn);
  } else {
    clearAll();
  }
}

void StatusIndicatorPanelView::clearAll() {
  for (StatusIndicatorView* view : {brakeStausView_, backStatusView_, leftWinkerStatusView_, rightWinkerStatusView_}) {
    view->forceClear();
  }
}

}  // namespace dashcard
