#include "designer_canvas.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QRubberBand>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "designer_fields.h"
#include "designer_paint.h"

namespace rpt {

namespace {

double Num(const XmlNode& n, const char* key, double fallback = 0) {
  bool ok = false;
  const double d = n.Attr(QLatin1String(key)).trimmed().toDouble(&ok);
  return ok ? d : fallback;
}

}  // namespace

bool AttrFlag(const XmlNode& n, const char* key) {
  const QString v = n.Attr(QLatin1String(key));
  return v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

const std::vector<std::pair<BandType, QString>>& BandLabels() {
  static const std::vector<std::pair<BandType, QString>> labels{
      {BandType::ReportTitle, QStringLiteral("Titulek sestavy")}, {BandType::PageHeader, QStringLiteral("Záhlaví stránky")},
      {BandType::ColumnHeader, QStringLiteral("Záhlaví sloupců")}, {BandType::GroupHeader, QStringLiteral("Záhlaví skupiny")},
      {BandType::MasterData, QStringLiteral("Data")},              {BandType::GroupFooter, QStringLiteral("Zápatí skupiny")},
      {BandType::PageFooter, QStringLiteral("Zápatí stránky")},     {BandType::ReportSummary, QStringLiteral("Souhrn sestavy")}};
  return labels;
}

QString BandLabel(const QString& type) {
  for (const auto& [t, label] : BandLabels())
    if (BandTypeName(t) == type) return label;
  return type;
}

// ---------------------------------------------------------------------------------------

DesignCanvas::DesignCanvas(DesignerDoc& doc, QWidget* parent)
    : QWidget(parent),
      doc_(doc),
      scale_(96.0 / 25.4),
      rubber_(new QRubberBand(QRubberBand::Rectangle, this)),
      painting_(std::make_unique<CanvasPainting>(
          [this](const QString& base64) -> const QImage& { return Decoded(base64); },
          [this](const XmlNode& object) { return CanvasText(object.text, FieldNames); })) {
  setObjectName(QStringLiteral("Plocha"));
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  setMouseTracking(true);
  connect(&doc_, &DesignerDoc::Changed, this, [this] {
    painting_->Clear();
    Relayout();
  });
  connect(&doc_, &DesignerDoc::SelectionChanged, this, qOverload<>(&QWidget::update));
  Relayout();
}

DesignCanvas::~DesignCanvas() = default;

void DesignCanvas::SetZoom(double zoom) {
  scale_ = std::clamp(zoom, 0.25, 4.0) * 96.0 / 25.4;
  Relayout();
}

namespace {
constexpr double kZoomSteps[] = {0.5, 0.75, 1.0, 1.5, 2.0, 3.0, 4.0};
}

void DesignCanvas::ZoomStep(int direction) {
  const double now = Zoom();
  double next = now;
  if (direction > 0) {
    for (const double z : kZoomSteps)
      if (z > now + 1e-6) {
        next = z;
        break;
      }
  } else {
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
      if (*it < now - 1e-6) {
        next = *it;
        break;
      }
  }
  if (next != now) SetZoom(next);
}

double DesignCanvas::PageWidthZoom(int viewWidth) const {
  const double widthMm = Num(doc_.Page(), "Width", 210);
  if (widthMm <= 0) return Zoom();
  return std::clamp((viewWidth - 2.0 * kMarginPx - 1) / (widthMm * 96.0 / 25.4), 0.25, 4.0);
}

void DesignCanvas::Relayout() {
  resize(sizeHint());
  updateGeometry();
  update();
}

QSize DesignCanvas::sizeHint() const {
  const XmlNode& page = doc_.Page();
  double bottom = kMarginPx + Num(page, "Height", 297) * scale_;
  const int n = doc_.BandCount();
  if (n > 0) bottom = std::max(bottom, BandBody(n - 1).bottom() + Num(page, "BottomMargin", 10) * scale_);
  return {static_cast<int>(2 * kMarginPx + Num(page, "Width", 210) * scale_), static_cast<int>(bottom + kMarginPx)};
}

QRectF DesignCanvas::SheetPx() const {
  const QSize size = sizeHint();
  return {static_cast<double>(kMarginPx), static_cast<double>(kMarginPx), Num(doc_.Page(), "Width", 210) * scale_,
          size.height() - 2.0 * kMarginPx};
}

QPointF DesignCanvas::OriginPx() const {
  const XmlNode& page = doc_.Page();
  return {kMarginPx + Num(page, "LeftMargin", 10) * scale_, kMarginPx + Num(page, "TopMargin", 10) * scale_};
}

double DesignCanvas::ShownHeight(int band) const {
  if (drag_ == Drag::BandHeight && band == sizedBand_) return std::max(0.0, doc_.BandHeight(band) + dragMm_.y());
  return doc_.BandHeight(band);
}

QRectF DesignCanvas::BandStrip(int band) const {
  const XmlNode& page = doc_.Page();
  double y = kMarginPx + Num(page, "TopMargin", 10) * scale_;
  for (int b = 0; b < band; ++b) y += kStrip + ShownHeight(b) * scale_ + 2;
  const double x = kMarginPx + Num(page, "LeftMargin", 10) * scale_;
  return {x, y, doc_.PageContentWidth() * scale_, static_cast<double>(kStrip)};
}

QRectF DesignCanvas::BandBody(int band) const {
  const QRectF strip = BandStrip(band);
  return {strip.left(), strip.bottom(), strip.width(), ShownHeight(band) * scale_};
}

QRectF DesignCanvas::ObjectPx(ObjRef ref) const {
  const QRectF body = BandBody(ref.band);
  const QRectF mm = doc_.ObjectRect(ref);
  return {body.left() + mm.left() * scale_, body.top() + mm.top() * scale_, mm.width() * scale_, mm.height() * scale_};
}

int DesignCanvas::BandAt(QPointF px) const {
  for (int b = 0; b < doc_.BandCount(); ++b) {
    const QRectF all = BandStrip(b).united(BandBody(b)).adjusted(-kMarginPx, 0, kMarginPx, 2);
    if (all.contains(px)) return b;
  }
  return -1;
}

QPointF DesignCanvas::ToMm(int band, QPointF px) const {
  const QRectF body = BandBody(band);
  return {(px.x() - body.left()) / scale_, std::max(0.0, (px.y() - body.top()) / scale_)};
}

ObjRef DesignCanvas::ObjectAt(QPointF px) const {
  for (int b = doc_.BandCount() - 1; b >= 0; --b)
    for (int i = static_cast<int>(doc_.Band(b).children.size()) - 1; i >= 0; --i)
      if (ObjectPx({b, i}).adjusted(-3, -3, 3, 3).contains(px)) return {b, i};
  return {};
}

unsigned DesignCanvas::HandleAt(ObjRef ref, QPointF px) const {
  const QRectF r = ObjectPx(ref);
  // Corners first: on a line or a tiny object they win over the sides they share a place with.
  const std::pair<QPointF, unsigned> handles[] = {
      {r.bottomRight(), kFrameRight | kFrameBottom},
      {r.bottomLeft(), kFrameLeft | kFrameBottom},
      {r.topRight(), kFrameRight | kFrameTop},
      {r.topLeft(), kFrameLeft | kFrameTop},
      {QPointF(r.right(), r.center().y()), kFrameRight},
      {QPointF(r.center().x(), r.bottom()), kFrameBottom},
      {QPointF(r.left(), r.center().y()), kFrameLeft},
      {QPointF(r.center().x(), r.top()), kFrameTop}};
  for (const auto& [at, sides] : handles)
    if (std::abs(px.x() - at.x()) <= 4 && std::abs(px.y() - at.y()) <= 4) return sides;
  return 0;
}

int DesignCanvas::BandEdgeAt(QPointF px) const {
  for (int b = 0; b < doc_.BandCount(); ++b) {
    const QRectF body = BandBody(b);
    // From just inside the band down over the gap to the next band's strip.
    if (px.x() >= body.left() && px.x() <= body.right() && px.y() >= body.bottom() - 1 && px.y() <= body.bottom() + 3)
      return b;
  }
  return -1;
}

QPointF DesignCanvas::SnappedDelta(QPointF raw, bool free, bool& exact) const {
  exact = false;
  if (free || !doc_.Snap() || anchor_.band < 0 || anchor_.band >= doc_.BandCount()) return raw;
  const QRectF a = doc_.ObjectRect(anchor_);
  // The anchor's sides that move, on each axis.
  std::vector<double> xs, ys;
  if (drag_ == Drag::Move || (sides_ & kFrameLeft)) xs.push_back(a.left());
  if (drag_ == Drag::Move || (sides_ & kFrameRight)) xs.push_back(a.right());
  if (drag_ == Drag::Move || (sides_ & kFrameTop)) ys.push_back(a.top());
  if (drag_ == Drag::Move || (sides_ & kFrameBottom)) ys.push_back(a.bottom());
  std::vector<double> tx, ty;
  const XmlNode& band = doc_.Band(anchor_.band);
  for (int i = 0; i < static_cast<int>(band.children.size()); ++i) {
    const ObjRef other{anchor_.band, i};
    if (doc_.IsSelected(other)) continue;
    const QRectF o = doc_.ObjectRect(other);
    tx.insert(tx.end(), {o.left(), o.right()});
    ty.insert(ty.end(), {o.top(), o.bottom()});
  }
  // A few pixels on the screen, whatever the zoom.
  const double reach = 4 / scale_;
  auto axis = [&](double d, const std::vector<double>& sides, const std::vector<double>& targets) {
    if (d == 0 || sides.empty()) return d;
    double best = reach, shift = 0;
    bool caught = false;
    for (const double s : sides)
      for (const double t : targets)
        if (std::abs(t - (s + d)) < best) {
          best = std::abs(t - (s + d));
          shift = t - (s + d);
          caught = true;
        }
    if (caught) {
      exact = true;
      return d + shift;
    }
    return doc_.Snapped(sides.front() + d) - sides.front();
  };
  return {axis(raw.x(), xs, tx), axis(raw.y(), ys, ty)};
}

QRectF DesignCanvas::Shown(ObjRef ref) const {
  QRectF r = ObjectPx(ref);
  if (!doc_.IsSelected(ref)) return r;
  const QPointF d = dragMm_ * scale_;
  if (drag_ == Drag::Move) r.translate(d);
  if (drag_ == Drag::Resize) {
    if (sides_ & kFrameLeft) r.setLeft(std::min(r.right(), r.left() + d.x()));
    if (sides_ & kFrameRight) r.setRight(std::max(r.left(), r.right() + d.x()));
    if (sides_ & kFrameTop) r.setTop(std::min(r.bottom(), r.top() + d.y()));
    if (sides_ & kFrameBottom) r.setBottom(std::max(r.top(), r.bottom() + d.y()));
  }
  return r;
}

const QImage& DesignCanvas::Decoded(const QString& base64) const {
  for (const auto& [text, image] : images_)
    if (text.constData() == base64.constData() && text.size() == base64.size()) return image;
  // A few at a time: the images of one template, and of one undo step before it.
  constexpr size_t kKept = 16;
  if (images_.size() >= kKept) images_.erase(images_.begin());
  QImage image;
  image.loadFromData(QByteArray::fromBase64(base64.trimmed().toLatin1()));
  ++imageDecodes_;
  images_.emplace_back(base64, std::move(image));
  return images_.back().second;
}

void DesignCanvas::mousePressEvent(QMouseEvent* event) {
  setFocus();
  if (event->button() != Qt::LeftButton) return;
  const QPointF pos = event->position();
  pressPx_ = event->position().toPoint();
  rawMm_ = dragMm_ = {};
  dragExact_ = false;
  sides_ = 0;
  anchor_ = {};
  const int band = BandAt(pos);
  if (!tool_.isEmpty() && band >= 0) {
    const QPointF mm = ToMm(band, pos);
    if (tool_ == QLatin1String("Image")) {
      if (InsertImage) InsertImage(band, mm);
    } else {
      doc_.AddObject(band, tool_, mm.x(), mm.y());
    }
    if (ToolUsed) ToolUsed();
    return;
  }
  const bool adds = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
  // A selected object's handle wins over an object lying above it.
  if (!adds)
    for (const ObjRef& r : doc_.Selection())
      if (const unsigned sides = HandleAt(r, pos)) {
        drag_ = Drag::Resize;
        sides_ = sides;
        anchor_ = r;
        return;
      }
  if (!adds)
    if (const int edge = BandEdgeAt(pos); edge >= 0) {
      drag_ = Drag::BandHeight;
      sizedBand_ = edge;
      return;
    }
  const ObjRef hit = ObjectAt(pos);
  if (hit.band >= 0) {
    if (adds) {
      doc_.ToggleSelected(hit);
      return;
    }
    if (!doc_.IsSelected(hit)) doc_.Select({hit});
    drag_ = Drag::Move;
    anchor_ = hit;
    return;
  }
  if (!adds) doc_.Select({});
  doc_.SetCurrentBand(band);
  drag_ = Drag::Rubber;
  rubberAdds_ = adds;
  rubber_->setGeometry(QRect(pressPx_, QSize()));
  rubber_->show();
}

void DesignCanvas::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (drag_ == Drag::None) {
    Qt::CursorShape shape = Qt::ArrowCursor;
    unsigned sides = 0;
    for (const ObjRef& r : doc_.Selection())
      if ((sides = HandleAt(r, pos)) != 0) break;
    const bool horizontal = sides & (kFrameLeft | kFrameRight), vertical = sides & (kFrameTop | kFrameBottom);
    if (horizontal && vertical) {
      const bool falling = sides == (kFrameLeft | kFrameTop) || sides == (kFrameRight | kFrameBottom);
      shape = falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    } else if (horizontal) {
      shape = Qt::SizeHorCursor;
    } else if (vertical || BandEdgeAt(pos) >= 0) {
      shape = Qt::SizeVerCursor;
    }
    setCursor(shape);
    return;
  }
  if (drag_ == Drag::Rubber) {
    rubber_->setGeometry(QRect(pressPx_, pos).normalized());
    return;
  }
  rawMm_ = QPointF(pos - pressPx_) / scale_;
  dragFree_ = event->modifiers() & Qt::AltModifier;
  if (drag_ == Drag::BandHeight) {
    const double h = doc_.BandHeight(sizedBand_);
    const double target = dragFree_ ? h + rawMm_.y() : doc_.Snapped(h + rawMm_.y());
    dragMm_ = {0, std::clamp(target, 0.0, kMaxLength) - h};
    Relayout();
    return;
  }
  dragMm_ = SnappedDelta(rawMm_, dragFree_, dragExact_);
  update();
}

void DesignCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (drag_ == Drag::Move || drag_ == Drag::Resize || drag_ == Drag::BandHeight) {
    // The last stretch of the way counts even without a move event before the release.
    rawMm_ = QPointF(event->position().toPoint() - pressPx_) / scale_;
    dragFree_ = event->modifiers() & Qt::AltModifier;
    if (drag_ != Drag::BandHeight) dragMm_ = SnappedDelta(rawMm_, dragFree_, dragExact_);
  }
  const Drag drag = drag_;
  drag_ = Drag::None;
  // Caught by an object's edge, the result is exact; otherwise each object snaps to the grid.
  const bool exact = dragExact_ || dragFree_;
  const QPointF delta = exact ? dragMm_ : rawMm_;
  rawMm_ = dragMm_ = {};
  const int target = BandAt(event->position());
  const bool otherBand = std::any_of(doc_.Selection().begin(), doc_.Selection().end(),
                                     [target](const ObjRef& r) { return r.band != target; });
  if (drag == Drag::Move && target >= 0 && otherBand) {
    // Dropped over another band: the objects go there, where they were let go.
    const QRectF body = BandBody(target);
    std::vector<QPointF> topLefts;
    for (const ObjRef& r : doc_.Selection())
      topLefts.push_back((ObjectPx(r).topLeft() + delta * scale_ - body.topLeft()) / scale_);
    doc_.MoveSelectionTo(target, topLefts);
  } else if (drag == Drag::Move && !delta.isNull()) {
    doc_.MoveSelection(delta.x(), delta.y(), exact);
  } else if (drag == Drag::Resize && !delta.isNull()) {
    doc_.ResizeSelectionSides(sides_, delta.x(), delta.y(), exact);
  } else if (drag == Drag::BandHeight) {
    const double h = doc_.BandHeight(sizedBand_);
    if (delta.y() != 0) doc_.SetBandHeight(sizedBand_, h + delta.y(), dragFree_);
    Relayout();
  } else if (drag == Drag::Rubber) {
    rubber_->hide();
    const QRectF area = QRectF(rubber_->geometry());
    if (area.width() > 2 || area.height() > 2) {
      std::vector<ObjRef> picked = rubberAdds_ ? doc_.Selection() : std::vector<ObjRef>{};
      for (int b = 0; b < doc_.BandCount(); ++b)
        for (int i = 0; i < static_cast<int>(doc_.Band(b).children.size()); ++i)
          if (area.intersects(ObjectPx({b, i}).adjusted(-1, -1, 1, 1))) picked.push_back({b, i});
      doc_.Select(picked);
    }
  }
  sizedBand_ = -1;
  update();
}

void DesignCanvas::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier) || event->angleDelta().y() == 0) {
    event->ignore();  // the view scrolls
    return;
  }
  const double before = Zoom();
  ZoomStep(event->angleDelta().y() > 0 ? 1 : -1);
  event->accept();
  if (Zoom() != before && ZoomChanged) ZoomChanged();
}

void DesignCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
  const ObjRef hit = event->button() == Qt::LeftButton ? ObjectAt(event->position()) : ObjRef{};
  if (hit.band < 0) return QWidget::mouseDoubleClickEvent(event);
  if (!doc_.IsSelected(hit)) doc_.Select({hit});
  emit ObjectDoubleClicked(hit);
}

void DesignCanvas::contextMenuEvent(QContextMenuEvent* event) {
  // The object under the mouse is the one the menu is about.
  const ObjRef hit = ObjectAt(event->pos());
  if (hit.band >= 0 && !doc_.IsSelected(hit)) doc_.Select({hit});
  emit MenuRequested(event->globalPos(), hit.band >= 0 ? hit.band : BandAt(event->pos()));
}

void DesignCanvas::keyPressEvent(QKeyEvent* event) {
  double dx = 0, dy = 0;
  switch (event->key()) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Down: dy = 1; break;
    default: QWidget::keyPressEvent(event); return;
  }
  if (doc_.Selection().empty()) return;
  // Ctrl: a tenth of a millimetre off the grid; otherwise one grid step.
  const bool fine = event->modifiers() & Qt::ControlModifier;
  const double step = fine ? 0.1 : doc_.GridStep();
  if (event->modifiers() & Qt::ShiftModifier) doc_.ResizeSelection(dx * step, dy * step, fine);
  else doc_.MoveSelection(dx * step, dy * step, fine);
}

void DesignCanvas::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasFormat(QLatin1String(FieldList::kMime))) event->acceptProposedAction();
}

void DesignCanvas::dragMoveEvent(QDragMoveEvent* event) {
  if (BandAt(event->position()) >= 0) event->acceptProposedAction();
  else event->ignore();
}

void DesignCanvas::dropEvent(QDropEvent* event) {
  const int band = BandAt(event->position());
  if (band < 0) return;
  const QString field = QString::fromUtf8(event->mimeData()->data(QLatin1String(FieldList::kMime)));
  const QPointF mm = ToMm(band, event->position());
  doc_.AddFieldWithCaption(band, field, FieldCaption(field), mm.x(), mm.y());
  event->acceptProposedAction();
}

// ---------------------------------------------------------------------------------------

const char* const FieldList::kMime = "application/x-kalmetra-field";

FieldList::FieldList(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("SeznamPoli"));
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
}

QStringList FieldList::mimeTypes() const { return {QLatin1String(kMime)}; }

QMimeData* FieldList::mimeData(const QList<QListWidgetItem*>& items) const {
  auto* data = new QMimeData;
  if (!items.isEmpty()) data->setData(QLatin1String(kMime), items.front()->data(Qt::UserRole).toString().toUtf8());
  return data;
}

}  // namespace rpt
