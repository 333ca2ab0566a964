#pragma once

#include <QDialog>

namespace dashcard {

class SDCardLoadProgressViewController;

// The window of the loading sheet; shown window-modal over a main window.
class SDCardLoadProgressWindowController : public QDialog {
  Q_OBJECT
 public:
  explicit SDCardLoadProgressWindowController(QWidget* parent = nullptr);
  SDCardLoadProgressViewController* contentViewController() const { return content_; }

 protected:
  // The scan cannot be cancelled; Escape must not hide the sheet.
  void reject() override {}

 private:
  SDCardLoadProgressViewController* content_;
};

}  // namespace dashcard
