#pragma once

#include <QPointer>
#include <QTableView>

class QPropertyAnimation;

namespace dashcard {

class CustomTableView;

// Told about every click on a row, with whether that row was selected before.
class CustomTableViewExtendedDelegate {
 public:
  virtual ~CustomTableViewExtendedDelegate() = default;
  virtual void tableViewDidClickedRow(CustomTableView* tableView, int row, bool isSelectedRow) = 0;
};

// The recording lists' table: knows whether the mouse is over it, so that a
// list the user points at does not jump, and reports clicks on rows.
class CustomTableView : public QTableView {
  Q_OBJECT
 public:
  explicit CustomTableView(QWidget* parent = nullptr);

  CustomTableViewExtendedDelegate* extendedDelegate() const { return extendedDelegate_; }
  void setExtendedDelegate(CustomTableViewExtendedDelegate* delegate) { extendedDelegate_ = delegate; }
  bool mouseIsOver() const { return mouseIsOver_; }
  void setMouseIsOver(bool over) { mouseIsOver_ = over; }

  // Centres `row` vertically, animated; not forced, nothing happens while the
  // mouse is over the table.
  void scrollWithAnimationToRowIndex(int row, bool force);
  // The scroll offset that centres `row` (clamped to what can be scrolled).
  int centredOffsetForRow(int row) const;

  // The rows selected, ascending.
  QList<int> selectedRowIndexes() const;

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  CustomTableViewExtendedDelegate* extendedDelegate_ = nullptr;
  bool mouseIsOver_ = false;
  QPointer<QPropertyAnimation> scrollAnimation_;
};

}  // namespace dashcard
