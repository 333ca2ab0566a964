#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

namespace dashcard {

class MainWindowController;

// One opened card (or an empty window waiting for one). Accepts a folder
// only when it has the card layout, picks the window that shows it and
// starts the scan with the loading sheet.
class MyDocument : public QObject {
  Q_OBJECT
 public:
  explicit MyDocument(QObject* parent = nullptr);
  ~MyDocument() override;

  // The card's folder; empty for a window without a card.
  const QString& fileURL() const { return fileURL_; }
  // Accepts `path` when it holds a card; otherwise fills `error` and refuses.
  bool readFromURL(const QString& path, QString* error = nullptr);
  // Chooses the window (`window` when given, else the active one), replaces
  // what it showed and starts the scan.
  void makeWindowControllers(MainWindowController* window = nullptr);
  QList<MainWindowController*> windowControllers() const;
  void addWindowController(MainWindowController* controller);
  // Detaches the window and empties it.
  void removeWindowController(MainWindowController* controller);
  void showWindows();
  // The window that shows or is loading this document.
  MainWindowController* targetWindowController() const { return target_; }
  // The card is being scanned for its window, which holds no document yet.
  bool isLoading() const { return loading_; }
  // The card's volume was renamed: it now sits at `path`.
  void setFileURL(const QString& path) { fileURL_ = path; }

  void updateLoadingPhase(int phase, int percentage, MainWindowController* windowConstoller);
  void showSDLoadProgressDialogForWindowController(MainWindowController* controller);
  void closeSDLoadProgressDialogForWindowController(MainWindowController* controller);

 signals:
  // The scan finished and the window shows the card.
  void didFinishLoading(bool success);

 private:
  QString fileURL_;
  QList<QPointer<MainWindowController>> windowControllers_;
  QPointer<MainWindowController> target_;
  QPointer<MainWindowController> sheetWindow_;
  bool loading_ = false;
};

}  // namespace dashcard
