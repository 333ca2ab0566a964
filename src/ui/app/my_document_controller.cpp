#include "ui/app/my_document_controller.h"

#include "core/catalogue/recent_documents.h"
#include "ui/app/main_window_controller.h"
#include "ui/app/my_document.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include <algorithm>

namespace dashcard {

MyDocumentController::MyDocumentController() {
  presentError = [](QWidget* parent, const QString& title, const QString& message) {
    auto* box = new QMessageBox(QMessageBox::Warning, title, message, QMessageBox::Ok, parent ? parent->window() : nullptr);
    box->setObjectName(QStringLiteral("DocumentErrorAlert"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (parent) box->setWindowModality(Qt::WindowModal);
    box->open();
  };
}

MyDocumentController* MyDocumentController::sharedDocumentController() {
  static MyDocumentController* controller = new MyDocumentController;  // lives as long as the process
  return controller;
}

void MyDocumentController::ensureWindowControllers() {
  if (windowControllersMade_) return;
  windowControllersMade_ = true;
  // The second window is made when a second card or an empty window wants
  // it: making both up front cost a tenth of a first start to the list.
  windowControllers_ = {MainWindowController::windowController()};
}

QList<MainWindowController*> MyDocumentController::windowControllers() const {
  QList<MainWindowController*> result;
  for (const auto& controller : windowControllers_) {
    if (controller) result.append(controller);
  }
  return result;
}

MainWindowController* MyDocumentController::activeWindowController() const {
  const QList<MainWindowController*> controllers = windowControllers();
  QWidget* key = QApplication::activeWindow();
  for (MainWindowController* controller : controllers) {
    if (key && controller == key) return controller;
  }
  return controllers.isEmpty() ? nullptr : controllers.first();
}

MainWindowController* MyDocumentController::freeWindowController() const {
  for (MainWindowController* controller : windowControllers()) {
    // A window still loading a card has no document yet, but is taken.
    const bool loading = std::any_of(documents_.cbegin(), documents_.cend(), [controller](const MyDocument* document) {
      return document->isLoading() && document->targetWindowController() == controller;
    });
    if (!controller->document() && !loading) return controller;
  }
  return nullptr;
}

MainWindowController* MyDocumentController::unusedWindowController() {
  ensureWindowControllers();
  if (MainWindowController* free = freeWindowController()) return free;
  if (windowControllers().size() >= kMaxWindows) return nullptr;
  MainWindowController* made = MainWindowController::windowController();
  windowControllers_.append(made);
  return made;
}

bool MyDocumentController::canOpenWindow() const {
  return freeWindowController() != nullptr || windowControllers().size() < kMaxWindows;
}

bool MyDocumentController::canOpenDocument() const {
  for (MainWindowController* controller : windowControllers()) {
    if (controller->isActiveWindow() && !controller->hasAttachedSheet()) return true;
  }
  return false;
}

bool MyDocumentController::validateMenuItem(MenuCommand command) const {
  // Before the first card the windows do not exist yet: both commands make them.
  if (!windowControllersMade_) return true;
  return command == MenuCommand::New ? canOpenWindow() : canOpenDocument();
}

bool MyDocumentController::isMultiWindow() const {
  int withDocument = 0;
  for (MainWindowController* controller : windowControllers()) {
    if (controller->document()) ++withDocument;
  }
  return withDocument > 1;
}

QList<MyDocument*> MyDocumentController::documents() const { return documents_; }

void MyDocumentController::openDocument(QWidget* parentWindow) {
  if (openPanel_) {
    openPanel_->raise();
    return;
  }
  // The window that gets the card is chosen now: while the panel is up it is
  // the active window, and afterwards the focus may be anywhere.
  if (!parentWindow) parentWindow = activeWindowController();
  auto* panel = new QFileDialog(parentWindow ? parentWindow->window() : nullptr, tr("Open Card"));
  openPanel_ = panel;
  panel->setObjectName(QStringLiteral("OpenPanel"));
  panel->setFileMode(QFileDialog::Directory);
  panel->setOption(QFileDialog::ShowDirsOnly);
  panel->setOption(QFileDialog::DontResolveSymlinks, false);
  panel->setLabelText(QFileDialog::Accept, tr("Open"));
  panel->setAttribute(Qt::WA_DeleteOnClose);
  if (parentWindow) panel->setWindowModality(Qt::WindowModal);
  QPointer<QWidget> parent(parentWindow);
  connect(panel, &QFileDialog::fileSelected, this, [this, parent](const QString& path) {
    // Symbolic links and aliases open what they point to.
    const QString resolved = QFileInfo(path).canonicalFilePath();
    openDocumentWithContentsOfURL(resolved.isEmpty() ? path : resolved, true, parent);
  });
  panel->open();
}

MyDocument* MyDocumentController::openDocumentWithContentsOfURL(const QString& path, bool display,
                                                                QWidget* parentWindow) {
  const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  for (MyDocument* document : documents_) {
    if (document->fileURL() == clean) {
      if (display) document->showWindows();
      return document;
    }
  }
  auto* document = new MyDocument(this);
  QString error;
  if (!document->readFromURL(path, &error)) {
    delete document;
    if (presentError) {
      presentError(parentWindow, tr("The card “%1” could not be opened.").arg(QFileInfo(clean).fileName()), error);
    }
    return nullptr;
  }
  documents_.append(document);
  // Opened from a window (its open panel, its path control): that window shows it.
  MainWindowController* target = nullptr;
  for (MainWindowController* controller : windowControllers()) {
    if (parentWindow && controller == parentWindow->window()) target = controller;
  }
  document->makeWindowControllers(target);
  if (display) document->showWindows();
  emit documentOpened(document);
  return document;
}

MyDocument* MyDocumentController::newDocument() {
  ensureWindowControllers();
  if (!canOpenWindow()) return nullptr;
  auto* document = new MyDocument(this);
  documents_.append(document);
  document->makeWindowControllers();
  document->showWindows();
  emit documentOpened(document);
  return document;
}

bool MyDocumentController::openCardsInStep(const QString& first, const QString& second) {
  ensureWindowControllers();
  MyDocument* lead = openDocumentWithContentsOfURL(first, true);
  if (!lead) return false;
  if (second.isEmpty()) return true;
  // A card opened without a window goes to the active one: the second is
  // handed the window the first left free.
  MainWindowController* free = unusedWindowController();
  if (!free || QDir::cleanPath(QFileInfo(second).absoluteFilePath()) == lead->fileURL()) return true;
  MyDocument* follower = openDocumentWithContentsOfURL(second, true, free);
  MainWindowController* leader = lead->targetWindowController();
  if (!follower || !leader) return true;
  leader->masterButtonPressed(true);
  // The key window leads in synchronised play.
  leader->raise();
  leader->activateWindow();
  return true;
}

void MyDocumentController::closeDocument(MyDocument* document) {
  if (!document || !documents_.contains(document)) return;
  for (MainWindowController* controller : document->windowControllers()) document->removeWindowController(controller);
  removeDocument(document);
}

void MyDocumentController::removeDocument(MyDocument* document) {
  if (!documents_.removeOne(document)) return;
  document->deleteLater();
}

QStringList MyDocumentController::recentDocumentURLs() const { return RecentDocuments::recentDocumentPaths(); }

void MyDocumentController::clearRecentDocuments() { RecentDocuments::clearRecentDocuments(); }

void MyDocumentController::reset() {
  for (MyDocument* document : documents_) document->deleteLater();
  documents_.clear();
  for (MainWindowController* controller : windowControllers()) {
    controller->hide();
    controller->deleteLater();
  }
  windowControllers_.clear();
  windowControllersMade_ = false;
}

}  // namespace dashcard
