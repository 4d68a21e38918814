// Rulers in millimetres above and beside the designer's canvas; they follow its zoom and
// scrolling and count from the bands' origin, as the objects' positions do.
#pragma once

#include <QWidget>

class QScrollArea;

namespace rpt {

class DesignCanvas;

class CanvasRuler : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kThickness = 20;
  CanvasRuler(Qt::Orientation orientation, DesignCanvas* canvas, QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Qt::Orientation orientation_;
  DesignCanvas* canvas_;
};

// The scroll area of the canvas framed by its two rulers.
QWidget* WithRulers(QScrollArea* scroll, DesignCanvas* canvas, QWidget* parent);

}  // namespace rpt
