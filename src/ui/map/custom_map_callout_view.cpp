#include "ui/map/custom_map_callout_view.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace dashcard {

namespace {
constexpr int kThumbnailWidth = 160;
constexpr int kThumbnailHeight = 90;
}  // namespace

CustomMapCalloutView::CustomMapCalloutView(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("CustomMapCalloutView"));
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(4);
  title_ = new QLabel(this);
  title_->setAlignment(Qt::AlignCenter);
  imageView_ = new QLabel(this);
  imageView_->setFixedSize(kThumbnailWidth, kThumbnailHeight);
  imageView_->setAlignment(Qt::AlignCenter);
  imageView_->setStyleSheet(QStringLiteral("background: #202225;"));
  calloutActionButton_ = new QPushButton(tr("Play"), this);
  calloutActionButton_->setObjectName(QStringLiteral("calloutActionButton"));
  layout->addWidget(title_);
  layout->addWidget(imageView_);
  layout->addWidget(calloutActionButton_);
}

void CustomMapCalloutView::showRecording(const QString& title, const QImage& thumbnail) {
  title_->setText(title);
  // Scaled for the screen's density, so the picture stays sharp there.
  const qreal ratio = devicePixelRatioF();
  QPixmap picture;
  if (!thumbnail.isNull()) {
    picture = QPixmap::fromImage(thumbnail.scaled(QSize(kThumbnailWidth, kThumbnailHeight) * ratio, Qt::KeepAspectRatio,
                                                  Qt::SmoothTransformation));
    picture.setDevicePixelRatio(ratio);
  }
  imageView_->setPixmap(picture);
  adjustSize();
}

}  // namespace dashcard
