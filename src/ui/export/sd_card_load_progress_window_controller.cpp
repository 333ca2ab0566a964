#include "ui/export/sd_card_load_progress_window_controller.h"

#include "ui/export/sd_card_load_progress_view_controller.h"

#include <QVBoxLayout>

namespace dashcard {

SDCardLoadProgressWindowController::SDCardLoadProgressWindowController(QWidget* parent)
    : QDialog(parent), content_(new SDCardLoadProgressViewController(this)) {
  setObjectName(QStringLiteral("SDCardLoadProgressWindowController"));
  setWindowTitle(tr("Loading"));
  setWindowModality(Qt::WindowModal);
  setWindowFlag(Qt::WindowCloseButtonHint, false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(content_);
}

}  // namespace dashcard
