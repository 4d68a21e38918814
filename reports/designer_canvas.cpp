#include "designer_canvas.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QRubberBand>

#include <algorithm>
#include <cmath>

#include "designer_fields.h"

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
    : QWidget(parent), doc_(doc), scale_(96.0 / 25.4), rubber_(new QRubberBand(QRubberBand::Rectangle, this)) {
  setObjectName(QStringLiteral("Plocha"));
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  setMouseTracking(true);
  connect(&doc_, &DesignerDoc::Changed, this, &DesignCanvas::Relayout);
  connect(&doc_, &DesignerDoc::SelectionChanged, this, qOverload<>(&QWidget::update));
  Relayout();
}

void DesignCanvas::SetZoom(double zoom) {
  scale_ = std::clamp(zoom, 0.25, 4.0) * 96.0 / 25.4;
  Relayout();
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

QRectF DesignCanvas::BandStrip(int band) const {
  const XmlNode& page = doc_.Page();
  double y = kMarginPx + Num(page, "TopMargin", 10) * scale_;
  for (int b = 0; b < band; ++b) y += kStrip + doc_.BandHeight(b) * scale_ + 2;
  const double x = kMarginPx + Num(page, "LeftMargin", 10) * scale_;
  return {x, y, doc_.PageContentWidth() * scale_, static_cast<double>(kStrip)};
}

QRectF DesignCanvas::BandBody(int band) const {
  const QRectF strip = BandStrip(band);
  return {strip.left(), strip.bottom(), strip.width(), doc_.BandHeight(band) * scale_};
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

bool DesignCanvas::OnHandle(ObjRef ref, QPointF px) const {
  const QPointF corner = ObjectPx(ref).bottomRight();
  return std::abs(px.x() - corner.x()) <= 4 && std::abs(px.y() - corner.y()) <= 4;
}

QRectF DesignCanvas::Shown(ObjRef ref) const {
  QRectF r = ObjectPx(ref);
  if (!doc_.IsSelected(ref)) return r;
  if (drag_ == Drag::Move) r.translate(dragMm_ * scale_);
  if (drag_ == Drag::Resize) {
    r.setWidth(std::max(0.0, r.width() + dragMm_.x() * scale_));
    r.setHeight(std::max(0.0, r.height() + dragMm_.y() * scale_));
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

void DesignCanvas::PaintObject(QPainter& p, const XmlNode& n, const QRectF& r) const {
  const double px = scale_;
  auto pen = [&](const char* colorKey, const char* widthKey, double width) {
    QPen pen(QColor(n.Attr(QLatin1String(colorKey), QStringLiteral("#000000"))));
    pen.setWidthF(std::max(1.0, Num(n, widthKey, width) * px));
    return pen;
  };
  const QString fill = n.Attr(QStringLiteral("Fill"));
  if (n.name == QLatin1String("Line")) {
    p.setPen(pen("Color", "LineWidth", 0.2));
    p.drawLine(r.topLeft(), r.bottomRight());
    return;
  }
  if (QColor(fill).isValid() && !fill.isEmpty()) p.fillRect(r, QColor(fill));
  if (n.name == QLatin1String("Image")) {
    const QImage& image = Decoded(n.text);
    if (image.isNull()) {
      p.setPen(QPen(Qt::gray, 1, Qt::DashLine));
      p.drawRect(r);
      p.drawText(r, Qt::AlignCenter, QStringLiteral("Obrázek"));
    } else {
      const QSizeF size = QSizeF(image.size()).scaled(r.size(), Qt::KeepAspectRatio);
      p.drawImage(QRectF(r.topLeft(), size), image);
    }
    return;
  }
  // Frame: a rectangle without a Frame attribute is framed all round.
  QString frame = n.Attr(QStringLiteral("Frame"));
  if (n.name == QLatin1String("Rectangle") && !n.Has(QStringLiteral("Frame"))) frame = QStringLiteral("All");
  p.setPen(pen("FrameColor", "FrameWidth", 0.2));
  const bool all = frame.contains(QLatin1String("All"));
  if (all || frame.contains(QLatin1String("Left"))) p.drawLine(r.topLeft(), r.bottomLeft());
  if (all || frame.contains(QLatin1String("Top"))) p.drawLine(r.topLeft(), r.topRight());
  if (all || frame.contains(QLatin1String("Right"))) p.drawLine(r.topRight(), r.bottomRight());
  if (all || frame.contains(QLatin1String("Bottom"))) p.drawLine(r.bottomLeft(), r.bottomRight());
  if (n.name != QLatin1String("Text")) return;
  QFont font(n.Attr(QStringLiteral("Font"), QStringLiteral("Arial")));
  // Points to pixels of this scale, whatever the screen's resolution.
  font.setPointSizeF(std::max(1.0, Num(n, "Size", 10) * 25.4 / 72.0 * px * 72.0 / logicalDpiY()));
  font.setBold(AttrFlag(n, "Bold"));
  font.setItalic(AttrFlag(n, "Italic"));
  font.setUnderline(AttrFlag(n, "Underline"));
  p.setFont(font);
  p.setPen(QColor(n.Attr(QStringLiteral("Color"), QStringLiteral("#000000"))));
  const QString h = n.Attr(QStringLiteral("HAlign")), v = n.Attr(QStringLiteral("VAlign"));
  int flags = h == QLatin1String("Center") ? Qt::AlignHCenter : h == QLatin1String("Right") ? Qt::AlignRight : Qt::AlignLeft;
  flags |= v == QLatin1String("Center") ? Qt::AlignVCenter : v == QLatin1String("Bottom") ? Qt::AlignBottom : Qt::AlignTop;
  if (AttrFlag(n, "WordWrap")) flags |= Qt::TextWordWrap;
  p.save();
  p.setClipRect(r.adjusted(-1, -1, 1, 1));
  p.drawText(r, flags, CanvasText(n.text, FieldNames));
  p.restore();
}

void DesignCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0x9a, 0x9e, 0xa6));
  const XmlNode& page = doc_.Page();
  const QSize size = sizeHint();
  const QRectF sheet(kMarginPx, kMarginPx, Num(page, "Width", 210) * scale_, size.height() - 2 * kMarginPx);
  p.fillRect(sheet, Qt::white);
  for (int b = 0; b < doc_.BandCount(); ++b) {
    const QRectF strip = BandStrip(b), body = BandBody(b);
    const XmlNode& band = doc_.Band(b);
    const bool current = b == doc_.CurrentBand() && doc_.Selection().empty();
    p.fillRect(strip, current ? QColor(0xb8, 0xcc, 0xe8) : QColor(0xe2, 0xe6, 0xec));
    p.setPen(Qt::black);
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    p.drawText(strip.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("%1: %2").arg(BandLabel(band.Attr(QStringLiteral("Type"))), band.Attr(QStringLiteral("Name"))));
    // Grid dots where they are far enough apart to help.
    const double step = doc_.GridStep() * scale_ < 6 ? doc_.GridStep() * 5 : doc_.GridStep();
    p.setPen(QColor(0xc8, 0xc8, 0xc8));
    for (double y = body.top(); y <= body.bottom(); y += step * scale_)
      for (double x = body.left(); x <= body.right(); x += step * scale_) p.drawPoint(QPointF(x, y));
    p.setPen(QPen(QColor(0xa0, 0xa8, 0xb4), 1, Qt::DotLine));
    p.drawRect(body);
    for (int i = 0; i < static_cast<int>(band.children.size()); ++i) PaintObject(p, band.children[i], Shown({b, i}));
  }
  for (const ObjRef& r : doc_.Selection()) {
    const QRectF s = Shown(r);
    p.setPen(QPen(QColor(0x20, 0x60, 0xd0), 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(s.adjusted(-1, -1, 1, 1));
    p.fillRect(QRectF(s.bottomRight() - QPointF(3, 3), QSizeF(6, 6)), QColor(0x20, 0x60, 0xd0));
  }
}

void DesignCanvas::mousePressEvent(QMouseEvent* event) {
  setFocus();
  if (event->button() != Qt::LeftButton) return;
  const QPointF pos = event->position();
  pressPx_ = event->position().toPoint();
  dragMm_ = {};
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
      if (OnHandle(r, pos)) {
        drag_ = Drag::Resize;
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
    const ObjRef hit = ObjectAt(pos);
    setCursor(hit.band >= 0 && doc_.IsSelected(hit) && OnHandle(hit, pos) ? Qt::SizeFDiagCursor : Qt::ArrowCursor);
    return;
  }
  if (drag_ == Drag::Rubber) {
    rubber_->setGeometry(QRect(pressPx_, pos).normalized());
    return;
  }
  dragMm_ = QPointF(pos - pressPx_) / scale_;
  update();
}

void DesignCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const Drag drag = drag_;
  drag_ = Drag::None;
  const QPointF delta = dragMm_;
  dragMm_ = {};
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
  } else if (drag == Drag::Move && !delta.isNull()) doc_.MoveSelection(delta.x(), delta.y());
  else if (drag == Drag::Resize && !delta.isNull()) doc_.ResizeSelection(delta.x(), delta.y());
  else if (drag == Drag::Rubber) {
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
  update();
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
