// The preview's page area: all pages stacked one below another, one, two or as many as
// fit side by side, painted only where they are in sight. Ctrl+wheel zooms; the left
// button drags the pages.
#pragma once

#include <QWidget>

#include <functional>
#include <vector>

#include "render.h"

class QScrollArea;

namespace rpt {

enum class PageColumns { One, Two, Many };

class PreviewPages : public QWidget {
 public:
  PreviewPages(QScrollArea* area, std::function<const PreparedReport&()> pages);

  // The renderer, the hits to mark and the current one (an index into hits; -1 none).
  void SetRenderer(Renderer* renderer) { renderer_ = renderer; }
  void SetHits(const std::vector<TextHit>* hits, int current);
  // Lays the pages out at this scale: one or two in a row, or as many as fit the width.
  void Lay(double pixelsPerMm, PageColumns columns, int roomWidth);
  int Columns() const { return columns_; }
  // The page's paper in this widget's coordinates; empty when there is no such page.
  QRect PageRect(int page) const;
  // The page whose row fills most of the strip from top, height high (the first row in
  // a tie); -1 without pages.
  int PageInView(int top, int height) const;
  // The first page of the row that holds page.
  int RowStart(int page) const;
  // Ctrl+wheel: +1 zooms in, -1 out.
  std::function<void(int direction)> ZoomStep;

  static constexpr int kMargin = 12;  // around the pages, and between them
  static constexpr int kShadow = 3;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int RowOf(int page) const;

  QScrollArea* area_;
  std::function<const PreparedReport&()> pages_;
  Renderer* renderer_ = nullptr;
  const std::vector<TextHit>* hits_ = nullptr;
  int currentHit_ = -1;
  double pxPerMm_ = 1;
  int columns_ = 1;
  std::vector<QRect> rects_;    // by page
  std::vector<int> rowTops_;    // by row; a row holds columns_ pages
  std::vector<int> rowBottoms_;
  bool dragging_ = false;
  QPoint dragFrom_;
  QPoint scrollFrom_;
};

}  // namespace rpt
