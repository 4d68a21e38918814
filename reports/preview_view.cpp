#include "preview_view.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace rpt {

PreviewPages::PreviewPages(QScrollArea* area, std::function<const PreparedReport&()> pages)
    : QWidget(area), area_(area), pages_(std::move(pages)) {
  setObjectName(QStringLiteral("StranaNahledu"));
  setCursor(Qt::OpenHandCursor);
  // Beside the pages the wheel reaches the scroll area itself.
  area_->viewport()->installEventFilter(this);
}

bool PreviewPages::eventFilter(QObject* watched, QEvent* event) {
  if (watched == area_->viewport() && event->type() == QEvent::Wheel) {
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (wheel->modifiers() & Qt::ControlModifier) {
      wheelEvent(wheel);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void PreviewPages::SetHits(const std::vector<TextHit>* hits, int current) {
  hits_ = hits;
  currentHit_ = current;
  update();
}

void PreviewPages::Lay(double pixelsPerMm, PageColumns columns, int roomWidth) {
  const PreparedReport& report = pages_();
  pxPerMm_ = pixelsPerMm;
  const size_t count = report.pages.size();
  std::vector<QSize> sizes(count);
  int widest = 1;
  for (size_t i = 0; i < count; ++i) {
    const PreparedPage& pg = report.pages[i];
    sizes[i] = QSize(std::max(1, static_cast<int>(std::lround(pg.width * pixelsPerMm))),
                     std::max(1, static_cast<int>(std::lround(pg.height * pixelsPerMm))));
    widest = std::max(widest, sizes[i].width());
  }
  if (columns == PageColumns::One) columns_ = 1;
  else if (columns == PageColumns::Two) columns_ = 2;
  else columns_ = std::max(1, (roomWidth - kMargin - kShadow) / (widest + kMargin));

  rects_.assign(count, QRect());
  rowTops_.clear();
  rowBottoms_.clear();
  int y = kMargin;
  int right = 0;
  for (size_t first = 0; first < count; first += static_cast<size_t>(columns_)) {
    int x = kMargin;
    int height = 0;
    for (size_t i = first; i < std::min(count, first + static_cast<size_t>(columns_)); ++i) {
      rects_[i] = QRect(QPoint(x, y), sizes[i]);
      x += sizes[i].width() + kMargin;
      height = std::max(height, sizes[i].height());
    }
    right = std::max(right, x);
    rowTops_.push_back(y);
    rowBottoms_.push_back(y + height);
    y += height + kMargin;
  }
  resize(std::max(right, 2 * kMargin) + kShadow, y + kShadow);
  update();
}

QRect PreviewPages::PageRect(int page) const {
  if (page < 0 || page >= static_cast<int>(rects_.size())) return {};
  return rects_[static_cast<size_t>(page)];
}

int PreviewPages::RowOf(int page) const { return page / columns_; }

int PreviewPages::RowStart(int page) const { return RowOf(page) * columns_; }

int PreviewPages::PageInView(int top, int height) const {
  if (rowTops_.empty()) return -1;
  const int bottom = top + height;
  size_t row = static_cast<size_t>(std::upper_bound(rowBottoms_.begin(), rowBottoms_.end(), top) - rowBottoms_.begin());
  if (row >= rowTops_.size()) return static_cast<int>((rowTops_.size() - 1) * static_cast<size_t>(columns_));
  size_t best = row;
  int bestSeen = -1;
  for (; row < rowTops_.size() && rowTops_[row] < bottom; ++row) {
    const int seen = std::min(rowBottoms_[row], bottom) - std::max(rowTops_[row], top);
    if (seen > bestSeen) {
      best = row;
      bestSeen = seen;
    }
  }
  return static_cast<int>(best * static_cast<size_t>(columns_));
}

void PreviewPages::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  const QRect dirty = event->rect();
  p.fillRect(dirty, palette().color(QPalette::Dark));
  if (!renderer_ || rowTops_.empty()) return;
  const PreparedReport& report = pages_();
  // Only the rows in sight are painted.
  size_t row = static_cast<size_t>(
      std::upper_bound(rowBottoms_.begin(), rowBottoms_.end(), dirty.top() - kShadow) - rowBottoms_.begin());
  for (; row < rowTops_.size() && rowTops_[row] <= dirty.bottom(); ++row) {
    const size_t first = row * static_cast<size_t>(columns_);
    for (size_t i = first; i < std::min(rects_.size(), first + static_cast<size_t>(columns_)); ++i) {
      const QRect paper = rects_[i];
      if (!paper.adjusted(0, 0, kShadow, kShadow).intersects(dirty) || i >= report.pages.size()) continue;
      p.fillRect(paper.translated(kShadow, kShadow), QColor(0, 0, 0, 90));
      p.fillRect(paper, Qt::white);
      // The hits are in page order: this page's are one run of them.
      std::vector<TextHit> onPage;
      int current = -1;
      if (hits_) {
        const auto less = [](const TextHit& h, size_t page) { return h.page < page; };
        const auto from = std::lower_bound(hits_->begin(), hits_->end(), i, less);
        for (auto it = from; it != hits_->end() && it->page == i; ++it) {
          if (it - hits_->begin() == currentHit_) current = static_cast<int>(onPage.size());
          onPage.push_back(*it);
        }
      }
      p.save();
      p.translate(paper.topLeft());
      p.setClipRect(QRect(QPoint(0, 0), paper.size()));
      renderer_->Paint(p, i, pxPerMm_, onPage, current);
      p.restore();
    }
  }
}

void PreviewPages::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier) || event->angleDelta().y() == 0) {
    event->ignore();  // the scroll area scrolls
    return;
  }
  if (ZoomStep) ZoomStep(event->angleDelta().y() > 0 ? 1 : -1);
  event->accept();
}

void PreviewPages::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  // Screen positions: the widget itself moves under the mouse as it scrolls.
  dragging_ = true;
  dragFrom_ = event->globalPosition().toPoint();
  scrollFrom_ = QPoint(area_->horizontalScrollBar()->value(), area_->verticalScrollBar()->value());
  setCursor(Qt::ClosedHandCursor);
  event->accept();
}

void PreviewPages::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  const QPoint moved = event->globalPosition().toPoint() - dragFrom_;
  area_->horizontalScrollBar()->setValue(scrollFrom_.x() - moved.x());
  area_->verticalScrollBar()->setValue(scrollFrom_.y() - moved.y());
  event->accept();
}

void PreviewPages::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  dragging_ = false;
  setCursor(Qt::OpenHandCursor);
  event->accept();
}

}  // namespace rpt
