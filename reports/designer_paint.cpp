#include "designer_paint.h"

#include <QPainter>

#include <algorithm>

#include "designer_canvas.h"

namespace rpt {

CanvasPainting::CanvasPainting(Decode decode, Shown shown) : decode_(std::move(decode)), shown_(std::move(shown)) {
  Clear();
}

CanvasPainting::~CanvasPainting() = default;

void CanvasPainting::Clear() {
  // The layout's caches are keyed by the objects laid, so they go with them.
  laid_.clear();
  renderer_.reset();
  layout_.reset();
  measure_.reset();
  report_.fonts.clear();
  report_.images.clear();
  measure_ = std::make_unique<TextMeasure>(report_.fonts);
  layout_ = std::make_unique<BandLayout>(*measure_, report_.images);
  renderer_ = std::make_unique<Renderer>(report_);
}

CanvasPainting::Laid& CanvasPainting::Get(const DesignerDoc& doc, ObjRef ref) {
  if (laid_.size() < static_cast<size_t>(doc.BandCount())) laid_.resize(static_cast<size_t>(doc.BandCount()));
  auto& band = laid_[static_cast<size_t>(ref.band)];
  const size_t count = doc.Band(ref.band).children.size();
  if (band.size() < count) band.resize(count);
  std::unique_ptr<Laid>& slot = band[static_cast<size_t>(ref.index)];
  if (slot) return *slot;
  slot = std::make_unique<Laid>();
  Laid& laid = *slot;
  const XmlNode& node = doc.Object(ref);
  // The object alone in a band of its own, compiled as the engine compiles it; an image
  // comes decoded from the canvas, which keeps each picture once.
  XmlNode object = node;
  if (object.name == QLatin1String("Image")) object.text.clear();
  XmlNode bandNode;
  bandNode.name = QStringLiteral("Band");
  bandNode.SetAttr(QStringLiteral("Type"), QStringLiteral("ReportTitle"));
  bandNode.children.push_back(std::move(object));
  XmlNode page;
  page.name = QStringLiteral("Page");
  page.children.push_back(std::move(bandNode));
  XmlNode root;
  root.name = QStringLiteral("Report");
  root.children.push_back(std::move(page));
  ReportDef def;
  QString why;
  if (!CompileTemplate(root, def, &why) || def.pages.empty() || def.pages[0].bands.empty() ||
      def.pages[0].bands[0].objects.size() != 1)
    return laid;
  laid.band = std::move(def.pages[0].bands[0]);
  ObjDef& o = laid.band.objects[0];
  if (o.kind == ObjKind::Image && !node.text.trimmed().isEmpty()) o.image = decode_(node.text);
  // Shown at its designed size, empty or not.
  o.left = o.top = 0;
  o.stretch = o.hideEmpty = false;
  laid.band.stretch = false;
  laid.text = shown_(node);
  laid.ok = true;
  Lay(laid);
  return laid;
}

void CanvasPainting::Lay(Laid& laid) {
  const ObjDef& o = laid.band.objects[0];
  laid.size = QSizeF(o.width, o.height);
  const QString& text = laid.text;
  laid.items = layout_->Layout(laid.band, [&text](const Expression&) { return text; }, o.width, 0).items;
}

void CanvasPainting::Paint(QPainter& p, const DesignerDoc& doc, ObjRef ref, const QRectF& box, double pixelsPerMm) {
  Laid& laid = Get(doc, ref);
  const XmlNode& node = doc.Object(ref);
  if (!laid.ok) {
    // What the engine cannot read is marked, so it can be found and mended.
    p.setPen(QPen(QColor(0xc0, 0x00, 0x00), 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box);
    return;
  }
  const QSizeF size(box.width() / pixelsPerMm, box.height() / pixelsPerMm);
  if (std::abs(size.width() - laid.size.width()) > 1e-6 || std::abs(size.height() - laid.size.height()) > 1e-6) {
    ObjDef& o = laid.band.objects[0];
    o.width = size.width();
    o.height = size.height();
    Lay(laid);
  }
  const ObjDef& o = laid.band.objects[0];
  if (o.kind == ObjKind::Image && o.image.isNull()) {
    p.setPen(QPen(Qt::gray, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box);
    p.drawText(box, Qt::AlignCenter, QStringLiteral("Obrázek"));
    return;
  }
  // A text without a frame is outlined faintly, so an empty one can still be found.
  if (o.kind == ObjKind::Text && o.frame == 0 && node.name == QLatin1String("Text")) {
    p.setPen(QPen(QColor(0xd8, 0xdc, 0xe2), 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box);
  }
  renderer_->PaintItems(p, laid.items, box.topLeft() / pixelsPerMm, pixelsPerMm);
}

// ---------------------------------------------------------------------------------------

void DesignCanvas::PaintSelection(QPainter& p) const {
  const QColor blue(0x20, 0x60, 0xd0);
  for (const ObjRef& r : doc_.Selection()) {
    const QRectF s = Shown(r);
    p.setPen(QPen(blue, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(s.adjusted(-1, -1, 1, 1));
    // Corners and the middles of the sides.
    for (const double fx : {0.0, 0.5, 1.0})
      for (const double fy : {0.0, 0.5, 1.0}) {
        if (fx == 0.5 && fy == 0.5) continue;
        const QPointF c(s.left() + fx * s.width(), s.top() + fy * s.height());
        p.fillRect(QRectF(c - QPointF(3, 3), QSizeF(6, 6)), blue);
      }
  }
}

void DesignCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0x9a, 0x9e, 0xa6));
  const XmlNode& page = doc_.Page();
  const QRectF sheet = SheetPx();
  p.fillRect(sheet, Qt::white);
  p.setPen(QPen(QColor(0x60, 0x64, 0x6c), 1));
  p.drawRect(sheet);
  // The margins, where the bands end.
  auto num = [&page](const char* key, double fallback) {
    bool ok = false;
    const double d = page.Attr(QLatin1String(key)).trimmed().toDouble(&ok);
    return ok ? d : fallback;
  };
  const double left = sheet.left() + num("LeftMargin", 10) * scale_;
  const double right = sheet.right() - num("RightMargin", 10) * scale_;
  const double top = sheet.top() + num("TopMargin", 10) * scale_;
  const double bottom = sheet.bottom() - num("BottomMargin", 10) * scale_;
  p.setPen(QPen(QColor(0x9c, 0xb4, 0xd8), 1, Qt::DashLine));
  p.drawLine(QPointF(left, sheet.top()), QPointF(left, sheet.bottom()));
  p.drawLine(QPointF(right, sheet.top()), QPointF(right, sheet.bottom()));
  p.drawLine(QPointF(sheet.left(), top), QPointF(sheet.right(), top));
  p.drawLine(QPointF(sheet.left(), bottom), QPointF(sheet.right(), bottom));
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
    p.setBrush(Qt::NoBrush);
    p.drawRect(body);
    for (int i = 0; i < static_cast<int>(band.children.size()); ++i) painting_->Paint(p, doc_, {b, i}, Shown({b, i}), scale_);
  }
  PaintSelection(p);
}

}  // namespace rpt
