#pragma once

#include <QLabel>
#include <memory>

class QImage;
class QMovie;

namespace ui {

// A still or animated picture that sizes itself to the picture and reports
// clicks.
class PictureView : public QLabel {
  Q_OBJECT
 public:
  explicit PictureView(QWidget* parent = nullptr);
  ~PictureView() override;

  void ShowPicture(const QImage& picture);
  // Takes the animation over and starts it.
  void ShowAnimation(std::unique_ptr<QMovie> animation);
  QMovie* Animation() const { return animation_.get(); }

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::unique_ptr<QMovie> animation_;
};

}  // namespace ui
