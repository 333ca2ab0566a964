#pragma once

#include "ui/app/split_view_controller.h"

namespace dashcard {

// The players over the graph; the graph is shown again whenever the split is.
class RightSplitViewController : public SplitViewController {
  Q_OBJECT
 public:
  explicit RightSplitViewController(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace dashcard
