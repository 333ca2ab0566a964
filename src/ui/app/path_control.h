#pragma once

#include <QString>
#include <QWidget>

class QHBoxLayout;
class QMenu;
class QToolButton;

namespace dashcard {

// A path bar of the opened card: one button per folder of the path (a click
// opens that folder) and a pop-up that offers other places to open.
class PathControl : public QWidget {
  Q_OBJECT
 public:
  // The pop-up's own items that stay when it is rebuilt.
  static constexpr int kFixedMenuItems = 3;

  explicit PathControl(QWidget* parent = nullptr);

  QString path() const { return path_; }
  void setPath(const QString& path);
  QMenu* menu() const { return menu_; }
  QToolButton* popUpButton() const { return popUpButton_; }
  // The folders of the path, outermost first, as the buttons show them.
  QStringList componentPaths() const;
  // Rebuilds the fixed items and lets the owner append to the pop-up.
  void prepareMenu();

 signals:
  void componentClicked(const QString& path);
  void chooseRequested();
  void menuWillOpen(QMenu* menu);

 private:
  void rebuildComponents();

  QString path_;
  QHBoxLayout* componentsLayout_ = nullptr;
  QToolButton* popUpButton_ = nullptr;
  QMenu* menu_ = nullptr;
};

}  // namespace dashcard
