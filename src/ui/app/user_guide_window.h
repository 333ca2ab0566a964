#pragma once

#include <QTextBrowser>

namespace dashcard {

// Help › User Guide: the Markdown guide shipped beside the program, in a
// window of its own (one per process).
class UserGuideWindow : public QTextBrowser {
  Q_OBJECT
 public:
  // The guide's file: share/dashcard beside the program's bin folder, the
  // same layout in the build tree; empty when neither holds it.
  static QString userGuidePath();
  // Shows (or raises) the guide window.
  static UserGuideWindow* showGuide();

 private:
  explicit UserGuideWindow(const QString& path);
  void fitPictures();
};

}  // namespace dashcard
