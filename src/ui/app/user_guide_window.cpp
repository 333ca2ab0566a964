#include "ui/app/user_guide_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPointer>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>

namespace dashcard {

QString UserGuideWindow::userGuidePath() {
  const QDir program(QCoreApplication::applicationDirPath());
  // bin/../share/dashcard once installed; the build tree copies the guide to
  // the same place above its src/app folder.
  for (const QString& relative :
       {QStringLiteral("../share/dashcard/user-guide.md"), QStringLiteral("../../share/dashcard/user-guide.md")}) {
    const QFileInfo guide(program.filePath(relative));
    if (guide.isFile()) return guide.canonicalFilePath();
  }
  return {};
}

UserGuideWindow::UserGuideWindow(const QString& path) {
  setObjectName(QStringLiteral("UserGuideWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(tr("Dashcard User Guide"));
  setAccessibleName(tr("User guide"));
  setOpenExternalLinks(true);
  document()->setDocumentMargin(16);
  if (path.isEmpty()) {
    setMarkdown(
        tr("# User Guide\n\nThe guide was not installed with this copy of Dashcard "
           "(it belongs in `share/dashcard/user-guide.md`)."));
  } else {
    setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
    fitPictures();
  }
  const QSize wanted(760, 860);
  resize(screen() ? wanted.boundedTo(screen()->availableSize() * 9 / 10) : wanted);
}

void UserGuideWindow::fitPictures() {
  // The screenshots are wider than the page: shown narrower they need no
  // sideways scrolling and stay sharp on high-density screens.
  constexpr qreal kWidest = 680;
  QTextCursor cursor(document());
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.charFormat().isImageFormat()) continue;
      QTextImageFormat image = fragment.charFormat().toImageFormat();
      const QSize size = QImageReader(source().resolved(QUrl(image.name())).toLocalFile()).size();
      if (!size.isValid() || size.width() <= kWidest) continue;
      image.setWidth(kWidest);
      image.setHeight(kWidest * size.height() / size.width());
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(image);
    }
  }
}

UserGuideWindow* UserGuideWindow::showGuide() {
  static QPointer<UserGuideWindow> window;
  if (!window) window = new UserGuideWindow(userGuidePath());
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace dashcard
