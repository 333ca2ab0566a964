#pragma once

#include <QFrame>
#include <QLabel>
#include <QPointer>

namespace dashcard {

// A small transient message shown above a view, half a second after it is
// asked for; it closes on the next click elsewhere.
class OptionPopover : public QFrame {
  Q_OBJECT

 public:
  static constexpr int kDelayMs = 500;

  static void showPopoverWithTarget(QWidget* target, const QString& message);

  explicit OptionPopover(const QString& messageString, QWidget* parent = nullptr);
  const QString& messageString() const { return messageString_; }
  QLabel* messageTextField() const { return messageTextField_; }
  // Shows the popover at the target's top edge.
  void showPopup(QWidget* target);

 private:
  QString messageString_;
  QLabel* messageTextField_;
};

}  // namespace dashcard
