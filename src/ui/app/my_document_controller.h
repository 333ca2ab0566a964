#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

class QWidget;

namespace dashcard {

class MainWindowController;
class MyDocument;

// Decides which window shows a newly opened card. The program has up to two
// main windows, the first made with the first document, the second when a
// second card or an empty window needs it; each shows at most one card.
class MyDocumentController : public QObject {
  Q_OBJECT
 public:
  enum class MenuCommand { New, Open, Other };

  static MyDocumentController* sharedDocumentController();

  // The open panel: one folder, no files. The card goes into `parentWindow`
  // (or the window active when the panel opens).
  void openDocument(QWidget* parentWindow = nullptr);
  // Opens `path` as a card, in `parentWindow` when it is one of the main
  // windows, else in the active one. Refused folders get an error message
  // and change no window; returns the document or null.
  MyDocument* openDocumentWithContentsOfURL(const QString& path, bool display, QWidget* parentWindow = nullptr);
  // An empty window for a second card.
  MyDocument* newDocument();
  // Opens each card in a window of its own, the second following the first
  // (the master button of the first pressed); one card, or the same card
  // twice, opens one window. False when the first could not be opened.
  bool openCardsInStep(const QString& first, const QString& second);
  void closeDocument(MyDocument* document);
  void removeDocument(MyDocument* document);
  QList<MyDocument*> documents() const;

  // Makes the first window (when the first document is opened).
  void ensureWindowControllers();
  QList<MainWindowController*> windowControllers() const;
  MainWindowController* activeWindowController() const;
  // A window without a card, made when there is none and fewer than two
  // exist; null when both show one.
  MainWindowController* unusedWindowController();
  bool canOpenWindow() const;
  bool canOpenDocument() const;
  bool validateMenuItem(MenuCommand command) const;
  bool isMultiWindow() const;

  QStringList recentDocumentURLs() const;
  void clearRecentDocuments();

  // How refusals are shown; a message box by default (tests replace it).
  std::function<void(QWidget* parent, const QString& title, const QString& message)> presentError;
  // The open panel of a running openDocument, if any.
  QWidget* openPanel() const { return openPanel_; }
  // Drops every document and window (tests).
  void reset();

 signals:
  void documentOpened(MyDocument* document);

 private:
  static constexpr qsizetype kMaxWindows = 2;
  MyDocumentController();
  // An existing window without a card (or one loading), or null.
  MainWindowController* freeWindowController() const;
  QList<QPointer<MainWindowController>> windowControllers_;
  bool windowControllersMade_ = false;
  QList<MyDocument*> documents_;
  QPointer<QWidget> openPanel_;
};

}  // namespace dashcard
