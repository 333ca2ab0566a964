#pragma once

#include "core/telemetry/car_info.h"

#include <QWidget>

#include <optional>

namespace dashcard {

class StatusIndicatorView;

// The four vehicle lamps in a row: brake, back, left winker, right winker.
class StatusIndicatorPanelView : public QWidget {
  Q_OBJECT
 public:
  explicit StatusIndicatorPanelView(QWidget* parent = nullptr);

  StatusIndicatorView* brakeStausView() const { return brakeStausView_; }
  StatusIndicatorView* backStatusView() const { return backStatusView_; }
  StatusIndicatorView* leftWinkerStatusView() const { return leftWinkerStatusView_; }
  StatusIndicatorView* rightWinkerStatusView() const { return rightWinkerStatusView_; }

  bool isEnabled() const { return isEnabled_; }
  void setIsEnabled(bool enabled);
  void updateEnabled(bool enabled);
  // A sample with data sets each lamp (steady lamps are left alone); none,
  // or a sample without data, turns all off at once. Nothing happens while
  // the panel has no height.
  void updateWithCarInfo(const std::optional<CarInfo>& info);
  void clearAll();

 private:
  void setup();
  StatusIndicatorView* cretateStatuViewWithActiveImage(const QString& active, const QString& deactive);
  void addStatatuViews(const QList<StatusIndicatorView*>& views);

  StatusIndicatorView* brakeStausView_ = nullptr;
  StatusIndicatorView* backStatusView_ = nullptr;
  StatusIndicatorView* leftWinkerStatusView_ = nullptr;
  StatusIndicatorView* rightWinkerStatusView_ = nullptr;
  bool isEnabled_ = false;
};

}  // namespace dashcard
