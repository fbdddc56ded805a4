#include "ui/PictureView.h"

#include <QImage>
#include <QMouseEvent>
#include <QMovie>
#include <QPixmap>

namespace ui {

PictureView::PictureView(QWidget* parent) : QLabel(parent) {}

PictureView::~PictureView() = default;

void PictureView::ShowPicture(const QImage& picture) {
  setMovie(nullptr);
  animation_.reset();
  setPixmap(QPixmap::fromImage(picture));
  resize(picture.size());
}

void PictureView::ShowAnimation(std::unique_ptr<QMovie> animation) {
  setMovie(nullptr);
  animation_ = std::move(animation);
  animation_->jumpToFrame(0);
  resize(animation_->currentImage().size());
  setMovie(animation_.get());
  animation_->start();
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
}

}  // namespace ui
