#pragma once

#include "core/playback/panes.h"

#include <QWidget>

namespace dashcard {

// Stands in for the telemetry graph until it exists: keeps the values it is
// given and draws only the pane's background.
class PlaceholderGraphPane : public QWidget, public GraphPane {
  Q_OBJECT
 public:
  explicit PlaceholderGraphPane(QWidget* parent = nullptr);

  void drawGraphWithCurrentDCFInfo(const DCFInfoPtr& info) override { info_ = info; }
  void updateProgress(float progress) override { progress_ = progress; }
  void setProgressMax(double) override {}
  void setProgressMin(double) override {}
  void setCurrentSpeed(double) override {}
  bool userControlIsActive() const override { return false; }

  const DCFInfoPtr& drawnDCF() const { return info_; }
  float shownProgress() const { return progress_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  DCFInfoPtr info_;
  float progress_ = 0.0f;
};

}  // namespace dashcard
