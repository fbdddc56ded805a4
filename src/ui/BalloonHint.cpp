#include "ui/BalloonHint.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWidget>
#include <optional>

#include "ui/Compositor.h"

namespace ui {

namespace {

constexpr int kShadow = 4;      // depth of the shadow, right and below
constexpr int kTipHeight = 12;  // from the tip down to the bubble
constexpr int kTipInset = 24;   // from the bubble's right edge to the tip
constexpr int kTipWidth = 12;
constexpr int kPadding = 8;
constexpr int kRadius = 6;

std::vector<ShownBalloon>& Record() {
  static std::vector<ShownBalloon> shown;
  return shown;
}

std::optional<bool> assumedCompositor;

}  // namespace

// The bubble: a frameless tool-tip window that paints itself and watches the
// whole application for what closes it. Where windows are composited it is
// drawn on a see-through window with a soft shadow; elsewhere the window is
// cut to the bubble's shape and its shadow, both opaque.
class BalloonWindow : public QWidget {
 public:
  explicit BalloonWindow(const QString& text)
      : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint),
        text_(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))),
        composited_(assumedCompositor.value_or(WindowsComposited())) {
    setObjectName(QStringLiteral("balloonHint"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    if (composited_) setAttribute(Qt::WA_TranslucentBackground);
    setFont(QToolTip::font());
    setPalette(QToolTip::palette());
    const QSize textSize = fontMetrics().size(0, text_);
    const int width = std::max(textSize.width() + 2 * kPadding, kTipInset + kTipWidth + kRadius);
    bubble_ = QRect(0, kTipHeight, width, textSize.height() + 2 * kPadding);
    resize(bubble_.width() + kShadow, bubble_.bottom() + 1 + kShadow);
    if (!composited_) {
      const QPainterPath shape = Shape();
      setMask(QRegion(shape.toFillPolygon().toPolygon()) +
              QRegion(shape.translated(kShadow, kShadow).toFillPolygon().toPolygon()));
    }
    qApp->installEventFilter(this);
  }
  ~BalloonWindow() override { qApp->removeEventFilter(this); }

  // Where the tip is, within the window.
  QPoint Tip() const { return {bubble_.right() - kTipInset, 0}; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::NonClientAreaMouseButtonPress:
      case QEvent::ApplicationStateChange:
      case QEvent::ApplicationActivate:
      case QEvent::ApplicationDeactivate:
        close();
        break;
      default:
        break;
    }
    return QWidget::eventFilter(watched, event);
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    // Soft edges only where what lies beside them shows through.
    painter.setRenderHint(QPainter::Antialiasing, composited_);
    const QPainterPath shape = Shape();
    painter.fillPath(shape.translated(kShadow, kShadow),
                     composited_ ? QColor(0, 0, 0, 90) : palette().color(QPalette::Mid));
    painter.fillPath(shape, palette().color(QPalette::ToolTipBase));
    painter.setPen(palette().color(QPalette::ToolTipText).darker(150));
    painter.drawPath(shape);
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawText(bubble_.adjusted(kPadding, kPadding, -kPadding, -kPadding),
                     Qt::AlignLeft | Qt::AlignTop, text_);
  }

 private:
  QPainterPath Shape() const {
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(bubble_).adjusted(0.5, 0.5, -0.5, -0.5), kRadius, kRadius);
    QPainterPath tip;
    const QPointF point = QPointF(Tip()) + QPointF(0.5, 0.5);
    tip.moveTo(point);
    tip.lineTo(point.x() - kTipWidth, kTipHeight + 1.5);
    tip.lineTo(point.x(), kTipHeight + 1.5);
    tip.closeSubpath();
    return bubble.united(tip);
  }

  QString text_;
  bool composited_;
  QRect bubble_;
};

BalloonHint::~BalloonHint() { Close(); }

void BalloonHint::Show(const QString& text, const QPoint& anchor) {
  Close();
  Record().push_back({text, anchor});
  window_ = new BalloonWindow(text);
  window_->move(anchor - window_->Tip());
  window_->show();
}

void BalloonHint::Close() {
  if (window_) window_->close();
}

QWidget* BalloonHint::Window() const { return window_; }

const std::vector<ShownBalloon>& BalloonHint::Shown() { return Record(); }

void BalloonHint::ClearShown() { Record().clear(); }

void BalloonHint::AssumeCompositor(std::optional<bool> running) { assumedCompositor = running; }

}  // namespace ui
