#pragma once

#include <QList>
#include <QPointer>
#include <QSplitter>
#include <QString>

class QVariantAnimation;

namespace dashcard {

// A split view of two items that can collapse and expand them (animated or
// not), lets a subclass snap the divider while it is dragged, and keeps the
// divider position in QSettings under its autosave name.
class SplitViewController : public QSplitter {
  Q_OBJECT
 public:
  SplitViewController(Qt::Orientation orientation, QString autosaveName, QWidget* parent = nullptr);

  const QString& autosaveName() const { return autosaveName_; }

  bool isItemCollapsed(int index) const;
  void setItemCollapsed(int index, bool collapsed, bool animated = true);
  void collapseItem(int index, bool animated = true) { setItemCollapsed(index, true, animated); }
  void expandItem(int index, bool animated = true) { setItemCollapsed(index, false, animated); }
  // Ends a running animation at its target.
  void finishAnimation();

  // The divider after the first item, in points from the leading edge.
  int dividerPosition() const;
  // Moves the divider the way a drag proposes it: through the constraint.
  void moveDivider(int proposedPosition);
  // Where a dragged divider lands; the proposal by default.
  virtual int constrainSplitPosition(int proposedPosition, int dividerIndex) const;

  // Restores the divider position saved under the autosave name, if any.
  void restoreAutosavedState();

 signals:
  void itemCollapseChanged(int index, bool collapsed);

 protected:
  QSplitterHandle* createHandle() override;
  // Length of the split view along its orientation.
  int extent() const;

 private:
  void applySizes(const QList<int>& sizes);
  void saveState();
  void noteSizes();

  QString autosaveName_;
  QList<bool> collapsed_;
  QList<int> lastExpandedSizes_;
  QPointer<QVariantAnimation> animation_;
  QList<int> animationTarget_;
  bool restoring_ = false;
};

}  // namespace dashcard
