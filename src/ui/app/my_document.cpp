#include "ui/app/my_document.h"

#include "core/catalogue/card_scanner.h"
#include "core/playback/media_controller.h"
#include "ui/app/main_window_controller.h"
#include "ui/app/my_document_controller.h"
#include "ui/app/path_control.h"

#include <QDir>
#include <QFileInfo>

namespace dashcard {

MyDocument::MyDocument(QObject* parent) : QObject(parent) {}

MyDocument::~MyDocument() = default;

bool MyDocument::readFromURL(const QString& path, QString* error) {
  const QFileInfo info(path);
  if (!info.isDir()) {
    if (error) *error = tr("The folder “%1” does not exist or cannot be read.").arg(QDir::toNativeSeparators(path));
    return false;
  }
  if (!CardScanner::mediaIsRynd(info.absoluteFilePath())) {
    if (error) {
      *error = tr("“%1” is not a camera card: it has no recording folders.").arg(QDir::toNativeSeparators(path));
    }
    return false;
  }
  fileURL_ = QDir::cleanPath(info.absoluteFilePath());
  return true;
}

QList<MainWindowController*> MyDocument::windowControllers() const {
  QList<MainWindowController*> result;
  for (const auto& controller : windowControllers_) {
    if (controller) result.append(controller);
  }
  return result;
}

void MyDocument::addWindowController(MainWindowController* controller) {
  if (!controller || windowControllers().contains(controller)) return;
  windowControllers_.append(controller);
  controller->setDocument(this);
}

void MyDocument::removeWindowController(MainWindowController* controller) {
  if (!controller) return;
  windowControllers_.removeAll(QPointer<MainWindowController>(controller));
  if (controller->document() == this) controller->setDocument(nullptr);
  controller->resetWindow();
}

void MyDocument::showWindows() {
  MainWindowController* window = target_;
  if (!window && !windowControllers().isEmpty()) window = windowControllers().first();
  if (!window) return;
  window->show();
  window->raise();
  window->activateWindow();
}

void MyDocument::makeWindowControllers(MainWindowController* window) {
  MyDocumentController* documents = MyDocumentController::sharedDocumentController();
  documents->ensureWindowControllers();
  MainWindowController* target = fileURL_.isEmpty() ? documents->unusedWindowController()
                                 : window           ? window
                                                    : documents->activeWindowController();
  if (!target) return;
  target_ = target;

  if (MyDocument* shown = target->document(); shown && shown != this) {
    shown->removeWindowController(target);
    documents->removeDocument(shown);
  }
  target->show();

  if (fileURL_.isEmpty()) {
    addWindowController(target);
    emit didFinishLoading(true);
    return;
  }

  MainWindowController* active = window ? window : documents->activeWindowController();
  showSDLoadProgressDialogForWindowController(active);
  loading_ = true;
  QPointer<MyDocument> weakSelf(this);
  QPointer<MainWindowController> weakTarget(target);
  const QString root = fileURL_;
  target->mediaController()->catalogue()->mediaTreeAsyncAtRootPath(
      root,
      [weakSelf](int phase, int percentage) {
        // To the window with the sheet, wherever the focus is.
        if (weakSelf) weakSelf->updateLoadingPhase(phase, percentage, weakSelf->sheetWindow_);
      },
      [weakSelf, weakTarget, root](bool success) {
        // A "no" only says the scan could not start now; its later "yes" finishes the job.
        if (!success || !weakSelf || !weakTarget) return;
        MainWindowController* window = weakTarget;
        window->pathControl()->setPath(root);
        weakSelf->loading_ = false;
        weakSelf->addWindowController(window);
        weakSelf->closeSDLoadProgressDialogForWindowController(window);
        emit weakSelf->didFinishLoading(true);
      });
}

void MyDocument::updateLoadingPhase(int phase, int percentage, MainWindowController* windowConstoller) {
  if (windowConstoller) windowConstoller->updateLoadingPhase(phase, percentage);
}

void MyDocument::showSDLoadProgressDialogForWindowController(MainWindowController* controller) {
  if (!controller) return;
  sheetWindow_ = controller;
  controller->showSDLoadProgressDialog();
}

void MyDocument::closeSDLoadProgressDialogForWindowController(MainWindowController* controller) {
  if (controller) controller->closeSDLoadProgressDilalog();
  // The sheet sits where it was shown, which need not be the target window.
  if (sheetWindow_ && sheetWindow_ != controller) sheetWindow_->closeSDLoadProgressDilalog();
  sheetWindow_.clear();
}

}  // namespace dashcard
