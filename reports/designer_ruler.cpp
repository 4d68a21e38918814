#include "designer_ruler.h"

#include <QEvent>
#include <QGridLayout>
#include <QPainter>
#include <QScrollArea>

#include <cmath>

#include "designer_canvas.h"

namespace rpt {

CanvasRuler::CanvasRuler(Qt::Orientation orientation, DesignCanvas* canvas, QWidget* parent)
    : QWidget(parent), orientation_(orientation), canvas_(canvas) {
  setObjectName(orientation == Qt::Horizontal ? QStringLiteral("PravitkoVodorovne") : QStringLiteral("PravitkoSvisle"));
  if (orientation == Qt::Horizontal) setFixedHeight(kThickness);
  else setFixedWidth(kThickness);
  // Scrolling moves the canvas, zooming resizes it, a drag repaints it.
  canvas_->installEventFilter(this);
}

QSize CanvasRuler::sizeHint() const { return {kThickness, kThickness}; }

bool CanvasRuler::eventFilter(QObject* watched, QEvent* event) {
  if (watched == canvas_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Paint))
    update();
  return QWidget::eventFilter(watched, event);
}

void CanvasRuler::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0xd4, 0xd8, 0xde));
  const double scale = canvas_->Scale();
  // Where the canvas lies under this ruler.
  const QPointF offset = QPointF(canvas_->mapToGlobal(QPoint(0, 0)) - mapToGlobal(QPoint(0, 0)));
  const bool across = orientation_ == Qt::Horizontal;
  // Ticks a few pixels apart at least, numbers where they do not crowd.
  double minor = 1;
  while (minor * scale < 4) minor *= minor == 1 ? 2 : 2.5;  // 1, 2, 5, 10, 25 ...
  double labelled = 10;
  while (labelled * scale < 36) labelled *= 2;
  QFont f = font();
  f.setPointSizeF(7);
  p.setFont(f);
  const int t = kThickness;
  auto scaleFrom = [&](double originPx, double from, double to) {
    // from/to: the white part, in millimetres from the origin.
    if (across) p.fillRect(QRectF(originPx + from * scale, 2, (to - from) * scale, t - 4), Qt::white);
    else p.fillRect(QRectF(2, originPx + from * scale, t - 4, (to - from) * scale), Qt::white);
    p.setPen(QColor(0x40, 0x44, 0x4c));
    const long first = static_cast<long>(std::ceil(from / minor)), last = static_cast<long>(std::floor(to / minor + 1e-9));
    for (long k = first; k <= last; ++k) {
      const double mm = static_cast<double>(k) * minor;
      const double at = originPx + mm * scale;
      const bool big = std::fmod(std::abs(mm) + 1e-9, labelled) < 1e-6;
      const bool half = std::fmod(std::abs(mm) + 1e-9, 5.0) < 1e-6;
      const double len = big ? t - 4 : half ? t / 2.0 : t / 4.0;
      if (across) p.drawLine(QPointF(at, t - len), QPointF(at, t));
      else p.drawLine(QPointF(t - len, at), QPointF(t, at));
      if (big && mm != 0) {
        const QString label = QString::number(std::lround(mm));
        if (across) p.drawText(QPointF(at + 2, 10), label);
        else {
          p.save();
          p.translate(10, at - 2);
          p.rotate(-90);
          p.drawText(QPointF(0, 0), label);
          p.restore();
        }
      }
    }
  };
  if (across) {
    const QRectF sheet = canvas_->SheetPx();
    const double origin = offset.x() + canvas_->OriginPx().x();
    const double width = canvas_->ContentWidthMm();
    // The margins grey, the bands' width white.
    p.fillRect(QRectF(offset.x() + sheet.left(), 2, sheet.width(), t - 4), QColor(0xec, 0xee, 0xf2));
    scaleFrom(origin, 0, width);
  } else {
    // Each band counts from its own top, as its objects' positions do.
    for (int b = 0; b < canvas_->BandCount(); ++b) {
      const QRectF body = canvas_->BandBody(b);
      scaleFrom(offset.y() + body.top(), 0, body.height() / scale);
    }
  }
  p.setPen(QColor(0x80, 0x84, 0x8c));
  if (across) p.drawLine(QPointF(0, t - 0.5), QPointF(width(), t - 0.5));
  else p.drawLine(QPointF(t - 0.5, 0), QPointF(t - 0.5, height()));
}

QWidget* WithRulers(QScrollArea* scroll, DesignCanvas* canvas, QWidget* parent) {
  auto* frame = new QWidget(parent);
  auto* grid = new QGridLayout(frame);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  grid->addWidget(new CanvasRuler(Qt::Horizontal, canvas, frame), 0, 1);
  grid->addWidget(new CanvasRuler(Qt::Vertical, canvas, frame), 1, 0);
  scroll->setParent(frame);
  grid->addWidget(scroll, 1, 1);
  return frame;
}

}  // namespace rpt
