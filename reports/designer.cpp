#include "designer.h"

#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRubberBand>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

#include "engine.h"

namespace rpt {

namespace {

double Num(const XmlNode& n, const char* key, double fallback = 0) {
  bool ok = false;
  const double d = n.Attr(QLatin1String(key)).trimmed().toDouble(&ok);
  return ok ? d : fallback;
}

bool Flag(const XmlNode& n, const char* key) {
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

// One row of the property panel.
struct Prop {
  const char* label;
  const char* key;  // attribute; "" for a row that only shows
  bool flag = false;
};

const std::vector<Prop>& GeometryProps() {
  static const std::vector<Prop> p{{"Název", "Name"}, {"Vlevo (mm)", "Left"}, {"Nahoře (mm)", "Top"},
                                   {"Šířka (mm)", "Width"}, {"Výška (mm)", "Height"}};
  return p;
}

std::vector<Prop> PropsOf(const QString& kind) {
  std::vector<Prop> p = GeometryProps();
  const std::vector<Prop> frame{{"Rámeček (Left,Top,Right,Bottom,All)", "Frame"}, {"Šířka rámečku (mm)", "FrameWidth"},
                                {"Barva rámečku", "FrameColor"}, {"Výplň", "Fill"}};
  if (kind == QLatin1String("Text")) {
    const std::vector<Prop> t{{"Písmo", "Font"},
                              {"Velikost (pt)", "Size"},
                              {"Tučné", "Bold", true},
                              {"Kurzíva", "Italic", true},
                              {"Podtržené", "Underline", true},
                              {"Barva", "Color"},
                              {"Vodorovně (Left, Center, Right, Justify)", "HAlign"},
                              {"Svisle (Top, Center, Bottom)", "VAlign"},
                              {"Zalamovat", "WordWrap", true},
                              {"Roztahovat", "Stretch", true},
                              {"Skrýt prázdný", "HideIfEmpty", true},
                              {"Otočení (0, 90, 270)", "Rotation"}};
    p.insert(p.end(), t.begin(), t.end());
    p.insert(p.end(), frame.begin(), frame.end());
  } else if (kind == QLatin1String("Line")) {
    p.push_back({"Barva", "Color"});
    p.push_back({"Tloušťka (mm)", "LineWidth"});
  } else if (kind == QLatin1String("Rectangle")) {
    p.insert(p.end(), frame.begin(), frame.end());
    p.push_back({"Zaoblení (mm)", "Radius"});
  }
  return p;
}

const std::vector<Prop>& BandProps() {
  static const std::vector<Prop> p{{"Název", "Name"},
                                   {"Výška (mm)", "Height"},
                                   {"Roztahovat", "Stretch", true},
                                   {"Držet pohromadě", "KeepTogether", true},
                                   {"Podmínka skupiny", "Condition"},
                                   {"Začít na nové stránce", "StartNewPage", true},
                                   {"Opakovat záhlaví", "RepeatHeader", true},
                                   {"Výplň sudých řádků", "EvenFill"},
                                   {"Výplň lichých řádků", "OddFill"}};
  return p;
}

const std::vector<Prop>& PageProps() {
  static const std::vector<Prop> p{{"Název sestavy", "ReportOptions.Name"},
                                   {"Autor", "ReportOptions.Author"},
                                   {"Šířka papíru (mm)", "Width"},
                                   {"Výška papíru (mm)", "Height"},
                                   {"Orientace (Portrait, Landscape)", "Orientation"},
                                   {"Levý okraj (mm)", "LeftMargin"},
                                   {"Horní okraj (mm)", "TopMargin"},
                                   {"Pravý okraj (mm)", "RightMargin"},
                                   {"Dolní okraj (mm)", "BottomMargin"},
                                   {"Sloupce", "Columns"},
                                   {"Mezera sloupců (mm)", "ColumnGap"}};
  return p;
}

constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kFlagRole = Qt::UserRole + 2;

}  // namespace

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
  font.setBold(Flag(n, "Bold"));
  font.setItalic(Flag(n, "Italic"));
  font.setUnderline(Flag(n, "Underline"));
  p.setFont(font);
  p.setPen(QColor(n.Attr(QStringLiteral("Color"), QStringLiteral("#000000"))));
  const QString h = n.Attr(QStringLiteral("HAlign")), v = n.Attr(QStringLiteral("VAlign"));
  int flags = h == QLatin1String("Center") ? Qt::AlignHCenter : h == QLatin1String("Right") ? Qt::AlignRight : Qt::AlignLeft;
  flags |= v == QLatin1String("Center") ? Qt::AlignVCenter : v == QLatin1String("Bottom") ? Qt::AlignBottom : Qt::AlignTop;
  if (Flag(n, "WordWrap")) flags |= Qt::TextWordWrap;
  p.save();
  p.setClipRect(r.adjusted(-1, -1, 1, 1));
  p.drawText(r, flags, n.text);
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
  doc_.AddField(band, field, mm.x(), mm.y());
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
  if (!items.isEmpty()) data->setData(QLatin1String(kMime), items.front()->text().toUtf8());
  return data;
}

// ---------------------------------------------------------------------------------------

TRptDesignerWindow::TRptDesignerWindow(TRptReport& report, const TRptDesigner& options, QWidget* parent)
    : QDialog(parent), report_(report), options_(options) {
  setObjectName(QStringLiteral("NavrharSestav"));
  setModal(true);
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  doc_.SetDefaultFont(options.DefaultFont, options.DefaultFontSize);
  if (report.Designable()) {
    doc_.LoadTree(report.Template());
    doc_.SetFileName(report.FileName);
  } else {
    doc_.LoadTree(NewFromOptions());
  }

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* bar = new QMenuBar(this);
  layout->setMenuBar(bar);
  auto* tools = new QToolBar(this);
  layout->addWidget(tools);

  auto* split = new QSplitter(Qt::Horizontal, this);
  auto* left = new QWidget(split);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->addWidget(new QLabel(QStringLiteral("Pole dat (přetáhněte na pás):"), left));
  fields_ = new FieldList(left);
  leftLayout->addWidget(fields_);
  if (report.DataSet)
    for (const QString& f : report.DataSet->FieldNames()) fields_->addItem(f);
  connect(fields_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { AddFieldToCurrentBand(item->text()); });

  scroll_ = new QScrollArea(split);
  canvas_ = new DesignCanvas(doc_, scroll_);
  scroll_->setWidget(canvas_);
  scroll_->setWidgetResizable(false);
  canvas_->InsertImage = [this](int band, QPointF mm) {
    const QString path = Interaction().ChooseImageFile(lastFolder_.isEmpty() ? SesFolder() : lastFolder_);
    if (path.isEmpty()) return;
    QFile file(path);
    QImage check;
    if (!file.open(QIODevice::ReadOnly) || !check.loadFromData(file.peek(file.size()))) {
      Interaction().ShowError(QStringLiteral("Soubor „%1“ není obrázek PNG ani JPEG.").arg(QFileInfo(path).fileName()));
      return;
    }
    doc_.AddImage(band, file.readAll(), mm.x(), mm.y());
  };
  canvas_->ToolUsed = [this] {
    canvas_->SetTool({});
    for (QAction* a : toolActions_) a->setChecked(a->data().toString().isEmpty());
  };

  auto* right = new QWidget(split);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->addWidget(new QLabel(QStringLiteral("Vlastnosti:"), right));
  props_ = new QTableWidget(0, 2, right);
  props_->setObjectName(QStringLiteral("Vlastnosti"));
  props_->setHorizontalHeaderLabels({QStringLiteral("Vlastnost"), QStringLiteral("Hodnota")});
  props_->verticalHeader()->hide();
  props_->horizontalHeader()->setStretchLastSection(true);
  props_->setColumnWidth(0, 170);
  rightLayout->addWidget(props_, 3);
  textLabel_ = new QLabel(right);
  rightLayout->addWidget(textLabel_);
  text_ = new QPlainTextEdit(right);
  text_->setObjectName(QStringLiteral("Ed_Text"));
  rightLayout->addWidget(text_, 1);
  auto* apply = new QPushButton(QStringLiteral("Použít text"), right);
  apply->setObjectName(QStringLiteral("Tl_PouzitText"));
  rightLayout->addWidget(apply);
  connect(apply, &QPushButton::clicked, this, &TRptDesignerWindow::ApplyText);
  text_->installEventFilter(this);
  connect(props_, &QTableWidget::itemChanged, this, &TRptDesignerWindow::PropertyEdited);

  split->addWidget(left);
  split->addWidget(scroll_);
  split->addWidget(right);
  split->setStretchFactor(1, 1);
  split->setSizes({160, 800, 300});
  layout->addWidget(split, 1);
  status_ = new QLabel(this);
  status_->setContentsMargins(6, 2, 6, 2);
  layout->addWidget(status_);
  warning_ = new QLabel(this);
  warning_->setObjectName(QStringLiteral("La_Upozorneni"));
  warning_->setContentsMargins(6, 2, 6, 2);
  warning_->setStyleSheet(QStringLiteral("color: #a00000"));
  warning_->setWordWrap(true);
  layout->addWidget(warning_);

  BuildMenus(bar, tools);
  auto checkFields = [this] {
    const QString problem = FieldProblem();
    warning_->setText(problem.isEmpty() ? QString() : QStringLiteral("Upozornění: %1.").arg(problem));
    warning_->setVisible(!problem.isEmpty());
  };
  connect(&doc_, &DesignerDoc::Changed, this, [this, checkFields] {
    RefreshTitle();
    ScheduleRefresh();
    checkFields();
  });
  checkFields();
  connect(&doc_, &DesignerDoc::SelectionChanged, this, &TRptDesignerWindow::ScheduleRefresh);
  LoadSettings();
  RefreshTitle();
  RefreshProperties();
  canvas_->setFocus();
}

TRptDesignerWindow::~TRptDesignerWindow() = default;

void TRptDesignerWindow::BuildMenus(QMenuBar* bar, QToolBar* tools) {
  auto act = [this](QMenu* menu, const char* name, const QString& text, QKeySequence key, auto fn) {
    auto* a = new QAction(text, this);
    a->setObjectName(QLatin1String(name));
    if (!key.isEmpty()) a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    connect(a, &QAction::triggered, this, fn);
    menu->addAction(a);
    addAction(a);
    return a;
  };
  QMenu* file = bar->addMenu(QStringLiteral("&Soubor"));
  act(file, "Akce_Nova", QStringLiteral("&Nová sestava"), QKeySequence(Qt::CTRL | Qt::Key_N), [this] { NewReport(); });
  QAction* save = act(file, "Akce_Ulozit", QStringLiteral("&Uložit"), QKeySequence(Qt::CTRL | Qt::Key_S), [this] { Save(); });
  act(file, "Akce_UlozitJako", QStringLiteral("Uložit &jako…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { SaveAs(); });
  file->addSeparator();
  QAction* preview = act(file, "Akce_Nahled", QStringLiteral("Ná&hled"), QKeySequence(Qt::Key_F9), [this] { Preview(); });
  act(file, "Akce_VlastnostiSestavy", QStringLiteral("&Vlastnosti sestavy a stránky"), QKeySequence(),
      [this] {
        doc_.Select({});
        doc_.SetCurrentBand(-1);
      });
  file->addSeparator();
  act(file, "Akce_Zavrit", QStringLiteral("&Zavřít"), QKeySequence(), [this] { reject(); });

  QMenu* edit = bar->addMenu(QStringLiteral("Úpr&avy"));
  QAction* undo = act(edit, "Akce_Zpet", QStringLiteral("&Zpět"), QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { doc_.Undo(); });
  QAction* redo = act(edit, "Akce_Znovu", QStringLiteral("Z&novu"), QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { doc_.Redo(); });
  edit->addSeparator();
  QAction* cut = act(edit, "Akce_Vyjmout", QStringLiteral("Vyj&mout"), QKeySequence(Qt::CTRL | Qt::Key_X), [this] { doc_.Cut(); });
  QAction* copy = act(edit, "Akce_Kopirovat", QStringLiteral("&Kopírovat"), QKeySequence(Qt::CTRL | Qt::Key_C), [this] { doc_.Copy(); });
  QAction* paste = act(edit, "Akce_Vlozit", QStringLiteral("&Vložit"), QKeySequence(Qt::CTRL | Qt::Key_V), [this] {
    doc_.Paste(doc_.CurrentBand() >= 0 ? doc_.CurrentBand() : 0);
  });
  QAction* del = act(edit, "Akce_Odstranit", QStringLiteral("&Odstranit"), QKeySequence(Qt::Key_Delete), [this] { doc_.DeleteSelection(); });
  act(edit, "Akce_VybratVse", QStringLiteral("Vybrat &vše"), QKeySequence(Qt::CTRL | Qt::Key_A), [this] { doc_.SelectAll(); });

  QMenu* objects = bar->addMenu(QStringLiteral("&Objekty"));
  const std::pair<const char*, std::pair<QString, AlignKind>> aligns[] = {
      {"Akce_ZarovnatVlevo", {QStringLiteral("Zarovnat &vlevo"), AlignKind::Left}},
      {"Akce_ZarovnatVpravo", {QStringLiteral("Zarovnat v&pravo"), AlignKind::Right}},
      {"Akce_ZarovnatNahoru", {QStringLiteral("Zarovnat &nahoru"), AlignKind::Top}},
      {"Akce_ZarovnatDolu", {QStringLiteral("Zarovnat &dolů"), AlignKind::Bottom}},
      {"Akce_ZarovnatStredVodorovne", {QStringLiteral("Na &střed vodorovně"), AlignKind::HCenter}},
      {"Akce_ZarovnatStredSvisle", {QStringLiteral("Na střed svi&sle"), AlignKind::VCenter}}};
  std::vector<QAction*> multi;
  for (const auto& [name, a] : aligns) {
    const AlignKind kind = a.second;
    multi.push_back(act(objects, name, a.first, QKeySequence(), [this, kind] { doc_.Align(kind); }));
  }
  objects->addSeparator();
  multi.push_back(act(objects, "Akce_StejnaSirka", QStringLiteral("Stejná šíř&ka"), QKeySequence(), [this] { doc_.SameWidth(); }));
  multi.push_back(act(objects, "Akce_StejnaVyska", QStringLiteral("Stejná výš&ka"), QKeySequence(), [this] { doc_.SameHeight(); }));

  QMenu* bands = bar->addMenu(QStringLiteral("&Pásy"));
  QMenu* add = bands->addMenu(QStringLiteral("&Přidat pás"));
  for (const auto& [type, label] : BandLabels()) {
    const BandType t = type;
    const QByteArray name = "Akce_Pridat" + BandTypeName(t).toLatin1();
    act(add, name.constData(), label, QKeySequence(), [this, t] { doc_.AddBand(t); });
  }
  QAction* removeBand = act(bands, "Akce_OdstranitPas", QStringLiteral("&Odstranit pás"), QKeySequence(),
                            [this] { doc_.RemoveBand(doc_.CurrentBand()); });
  QAction* up = act(bands, "Akce_PasNahoru", QStringLiteral("Posunout pás na&horu"), QKeySequence(),
                    [this] { doc_.MoveBand(doc_.CurrentBand(), -1); });
  QAction* down = act(bands, "Akce_PasDolu", QStringLiteral("Posunout pás &dolů"), QKeySequence(),
                      [this] { doc_.MoveBand(doc_.CurrentBand(), 1); });

  QMenu* view = bar->addMenu(QStringLiteral("&Zobrazení"));
  snapAction_ = act(view, "Akce_Prichytavat", QStringLiteral("&Přichytávat k mřížce"), QKeySequence(), [this] {
    doc_.SetSnap(snapAction_->isChecked());
    SaveSettings();
  });
  snapAction_->setCheckable(true);
  QMenu* grid = view->addMenu(QStringLiteral("&Krok mřížky"));
  auto* gridGroup = new QActionGroup(this);
  for (const double step : {0.5, 1.0, 2.0, 2.5, 5.0}) {
    QAction* a = grid->addAction(QStringLiteral("%1 mm").arg(QString::number(step).replace(u'.', u',')));
    a->setCheckable(true);
    gridGroup->addAction(a);
    connect(a, &QAction::triggered, this, [this, step] {
      doc_.SetGridStep(step);
      canvas_->update();
      SaveSettings();
    });
    gridActions_.emplace_back(step, a);
  }

  QMenu* zoom = view->addMenu(QStringLiteral("&Zvětšení"));
  auto* zoomGroup = new QActionGroup(this);
  for (const double z : {0.5, 0.75, 1.0, 1.5, 2.0}) {
    QAction* a = zoom->addAction(QStringLiteral("%1 %").arg(z * 100));
    a->setCheckable(true);
    zoomGroup->addAction(a);
    connect(a, &QAction::triggered, this, [this, z] {
      canvas_->SetZoom(z);
      SaveSettings();
    });
    zoomActions_.emplace_back(z, a);
  }

  // Palette of object kinds.
  auto* palette = new QActionGroup(this);
  const std::pair<QString, QString> kinds[] = {{QStringLiteral("Výběr"), QString()},
                                               {QStringLiteral("Text"), QStringLiteral("Text")},
                                               {QStringLiteral("Čára"), QStringLiteral("Line")},
                                               {QStringLiteral("Obdélník"), QStringLiteral("Rectangle")},
                                               {QStringLiteral("Obrázek"), QStringLiteral("Image")}};
  for (const auto& [label, kind] : kinds) {
    QAction* a = tools->addAction(label);
    a->setObjectName(QStringLiteral("Paleta_") + (kind.isEmpty() ? QStringLiteral("Vyber") : kind));
    a->setCheckable(true);
    a->setChecked(kind.isEmpty());
    a->setData(kind);
    palette->addAction(a);
    const QString k = kind;
    connect(a, &QAction::triggered, this, [this, k] { canvas_->SetTool(k); });
    toolActions_.push_back(a);
  }
  tools->addSeparator();
  for (QAction* a : {save, preview, undo, redo, cut, copy, paste, del}) tools->addAction(a);
  tools->addSeparator();
  for (QAction* a : multi) tools->addAction(a);

  auto enable = [this, undo, redo, cut, copy, paste, del, multi, removeBand, up, down] {
    const size_t n = doc_.Selection().size();
    undo->setEnabled(doc_.CanUndo());
    redo->setEnabled(doc_.CanRedo());
    cut->setEnabled(n > 0);
    copy->setEnabled(n > 0);
    del->setEnabled(n > 0);
    paste->setEnabled(doc_.CanPaste());
    for (QAction* a : multi) a->setEnabled(n > 1);
    const int b = doc_.CurrentBand();
    removeBand->setEnabled(b >= 0);
    up->setEnabled(b > 0);
    down->setEnabled(b >= 0 && b + 1 < doc_.BandCount());
  };
  connect(&doc_, &DesignerDoc::Changed, this, enable);
  connect(&doc_, &DesignerDoc::SelectionChanged, this, enable);
  connect(copy, &QAction::triggered, this, enable);
  enable();
}

void TRptDesignerWindow::RefreshTitle() {
  const QString name = doc_.ReportName().isEmpty() ? QStringLiteral("Nová sestava") : doc_.ReportName();
  setWindowTitle(QStringLiteral("Návrhář sestav – %1%2").arg(name, doc_.Modified() ? QStringLiteral(" *") : QString()));
}

void TRptDesignerWindow::RefreshProperties() {
  filling_ = true;
  props_->setRowCount(0);
  std::vector<Prop> rows;
  const XmlNode* node = nullptr;
  const auto& sel = doc_.Selection();
  QString what;
  text_->setEnabled(true);
  if (!sel.empty()) {
    node = &doc_.Object(sel.front());
    rows = PropsOf(node->name);
    // One name cannot serve several objects.
    if (sel.size() > 1) rows.erase(rows.begin());
    what = sel.size() > 1 ? QStringLiteral("Vybráno objektů: %1 (vlastnosti platí pro všechny)").arg(sel.size())
                          : QStringLiteral("Objekt %1").arg(node->Attr(QStringLiteral("Name")));
    textLabel_->setText(QStringLiteral("Text objektu:"));
    text_->setPlainText(node->name == QLatin1String("Text") ? node->text : QString());
    text_->setEnabled(node->name == QLatin1String("Text") && sel.size() == 1);
  } else if (doc_.CurrentBand() >= 0) {
    node = &doc_.Band(doc_.CurrentBand());
    // Group options belong to group headers, row fills to data bands.
    const QString type = node->Attr(QStringLiteral("Type"));
    for (const Prop& p : BandProps()) {
      const QLatin1String key(p.key);
      const bool group = key == QLatin1String("Condition") || key == QLatin1String("StartNewPage") || key == QLatin1String("RepeatHeader");
      const bool fill = key == QLatin1String("EvenFill") || key == QLatin1String("OddFill");
      if ((group && type != QLatin1String("GroupHeader")) || (fill && type != QLatin1String("MasterData"))) continue;
      rows.push_back(p);
    }
    what = QStringLiteral("Pás %1 (%2)").arg(node->Attr(QStringLiteral("Name")), BandLabel(node->Attr(QStringLiteral("Type"))));
    textLabel_->setText(QString());
    text_->clear();
    text_->setEnabled(false);
  } else {
    node = &doc_.Page();
    rows = PageProps();
    what = QStringLiteral("Sestava a stránka");
    textLabel_->setText(QStringLiteral("Popis sestavy (řádky):"));
    text_->setPlainText(doc_.ReportDescription().join(u'\n'));
  }
  text_->document()->setModified(false);
  status_->setText(what);
  for (const Prop& p : rows) {
    const int row = props_->rowCount();
    props_->insertRow(row);
    auto* label = new QTableWidgetItem(QString::fromUtf8(p.label));
    label->setFlags(Qt::ItemIsEnabled);
    props_->setItem(row, 0, label);
    const QString key = QLatin1String(p.key);
    const XmlNode& source = key.startsWith(QLatin1String("ReportOptions.")) ? doc_.Root() : *node;
    auto* value = new QTableWidgetItem;
    value->setData(kKeyRole, key);
    value->setData(kFlagRole, p.flag);
    if (p.flag) {
      value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
      value->setCheckState(Flag(source, p.key) ? Qt::Checked : Qt::Unchecked);
    } else {
      value->setText(source.Attr(key));
    }
    props_->setItem(row, 1, value);
  }
  filling_ = false;
}

void TRptDesignerWindow::PropertyEdited(QTableWidgetItem* item) {
  if (filling_ || item->column() != 1) return;
  const QString key = item->data(kKeyRole).toString();
  QString value =
      item->data(kFlagRole).toBool() ? (item->checkState() == Qt::Checked ? QStringLiteral("1") : QString()) : item->text().trimmed();
  // A Czech decimal comma is written as the file's decimal point.
  static const QRegularExpression czechNumber(QStringLiteral("^-?\\d+,\\d+$"));
  if (czechNumber.match(value).hasMatch()) value.replace(u',', u'.');
  QString error;
  bool ok = true;
  if (!doc_.Selection().empty()) {
    ok = doc_.SetSelectionAttr(key, value, &error);
  } else if (doc_.CurrentBand() >= 0) {
    ok = doc_.SetBandAttr(doc_.CurrentBand(), key, value, &error);
  } else if (key.startsWith(QLatin1String("ReportOptions."))) {
    const bool isName = key.endsWith(QLatin1String("Name"));
    ok = doc_.SetReportOptions(isName ? value : doc_.ReportName(), isName ? doc_.ReportAuthor() : value,
                               doc_.ReportDescription(), &error);
  } else if (key == QLatin1String("Orientation")) {
    ok = doc_.SetOrientation(value, &error);
  } else {
    ok = doc_.SetPageAttr(key, value, &error);
  }
  if (!ok) {
    Interaction().ShowError(QStringLiteral("Hodnotu nelze použít: %1.").arg(error));
    ScheduleRefresh();
  }
}

void TRptDesignerWindow::ScheduleRefresh() {
  // Later, never inside the panel's own change signal, whose item the refresh replaces.
  if (refreshPending_) return;
  refreshPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        refreshPending_ = false;
        RefreshProperties();
      },
      Qt::QueuedConnection);
}

bool TRptDesignerWindow::eventFilter(QObject* watched, QEvent* event) {
  // Typed text is kept when the box loses focus, as if "Použít text" had been pressed.
  if (watched == text_ && event->type() == QEvent::FocusOut && !filling_ && text_->document()->isModified())
    ApplyText();
  return QDialog::eventFilter(watched, event);
}

void TRptDesignerWindow::ApplyText() {
  text_->document()->setModified(false);
  const auto& sel = doc_.Selection();
  QString error;
  if (sel.size() == 1) {
    if (!doc_.SetObjectText(sel.front(), text_->toPlainText(), &error))
      Interaction().ShowError(QStringLiteral("Text nelze použít: %1.").arg(error));
  } else if (sel.empty() && doc_.CurrentBand() < 0) {
    const QString d = text_->toPlainText();
    if (!doc_.SetReportOptions(doc_.ReportName(), doc_.ReportAuthor(), d.isEmpty() ? QStringList() : d.split(u'\n'), &error))
      Interaction().ShowError(QStringLiteral("Text nelze použít: %1.").arg(error));
  }
}

void TRptDesignerWindow::AddFieldToCurrentBand(const QString& field) {
  int band = doc_.CurrentBand();
  if (band < 0)
    for (int b = 0; b < doc_.BandCount() && band < 0; ++b)
      if (doc_.Band(b).Attr(QStringLiteral("Type")) == QLatin1String("MasterData")) band = b;
  if (band < 0) {
    Interaction().ShowInfo(QStringLiteral("Pole lze vložit jen do pásu. Nejprve přidejte pás Data."));
    return;
  }
  // Beside the band's last object, so fields added one by one line up.
  double left = 0;
  for (int i = 0; i < static_cast<int>(doc_.Band(band).children.size()); ++i)
    left = std::max(left, doc_.ObjectRect({band, i}).right());
  if (left + 30 > doc_.PageContentWidth()) left = 0;
  doc_.AddField(band, field, left, 0);
}

QString TRptDesignerWindow::SesFolder() const {
  if (!doc_.FileName().isEmpty()) return QFileInfo(doc_.FileName()).absolutePath();
  if (!report_.IniFile.isEmpty()) return QFileInfo(report_.IniFile).absolutePath() + QStringLiteral("/Ses");
  return QDir::currentPath();
}

QString TRptDesignerWindow::FieldProblem() const {
  if (!report_.DataSet || report_.DataSet->FieldNames().isEmpty()) return {};
  // Images play no part in field references; leaving them out keeps a large embedded
  // picture from being decoded on every change.
  XmlNode root = doc_.Root();
  std::function<void(XmlNode&)> dropImages = [&](XmlNode& n) {
    for (XmlNode& c : n.children) {
      if (c.name == QLatin1String("Image")) c.text.clear();
      else dropImages(c);
    }
  };
  dropImages(root);
  ReportDef def;
  QString why;
  if (!CompileTemplate(root, def, &why) || CheckFieldReferences(def, *report_.DataSet, &why)) return {};
  return why;
}

bool TRptDesignerWindow::Save() {
  if (doc_.FileName().isEmpty()) return SaveAs();
  // Saved all the same when the user wants it: the designer opens such a template again.
  const QString problem = FieldProblem();
  if (!problem.isEmpty() &&
      !Interaction().Ask(QStringLiteral("Sestavu „%1“ nepůjde spustit (%2). Chcete ji přesto uložit?")
                             .arg(QFileInfo(doc_.FileName()).fileName(), problem)))
    return false;
  QString error;
  if (!doc_.SaveTo(doc_.FileName(), &error)) {
    Interaction().ShowError(QStringLiteral("Sestavu „%1“ se nepodařilo uložit: %2.").arg(QFileInfo(doc_.FileName()).fileName(), error));
    return false;
  }
  if (QFileInfo(doc_.FileName()) == QFileInfo(report_.FileName)) savedOver_ = true;
  return true;
}

bool TRptDesignerWindow::SaveAs() {
  const QString folder = !lastFolder_.isEmpty() && QDir(lastFolder_).exists() ? lastFolder_ : SesFolder();
  QDir().mkpath(folder);
  const QString base = doc_.FileName().isEmpty()
                           ? (doc_.ReportName().isEmpty() ? QStringLiteral("Nová sestava") : doc_.ReportName()) + QStringLiteral(".ksr")
                           : QFileInfo(doc_.FileName()).fileName();
  QString path = Interaction().ChooseTemplateFile(folder, base);
  if (path.isEmpty()) return false;
  if (QFileInfo(path).suffix().compare(QLatin1String("ksr"), Qt::CaseInsensitive) != 0) path += QStringLiteral(".ksr");
  if (QFileInfo::exists(path) && QFileInfo(path) != QFileInfo(doc_.FileName()) &&
      !Interaction().Ask(QStringLiteral("Soubor „%1“ již existuje. Chcete jej přepsat?").arg(QFileInfo(path).fileName())))
    return false;
  const QString previous = doc_.FileName();
  doc_.SetFileName(path);
  if (!Save()) {
    doc_.SetFileName(previous);
    return false;
  }
  lastFolder_ = QFileInfo(path).absolutePath();
  SaveSettings();
  return true;
}

XmlNode TRptDesignerWindow::NewFromOptions() const {
  XmlNode root = NewTemplate();
  XmlNode& page = root.children.front();
  const QString margin = DesignerDoc::FormatMm(options_.DefaultMargins);
  for (const char* key : {"LeftMargin", "TopMargin", "RightMargin", "BottomMargin"}) page.SetAttr(QLatin1String(key), margin);
  page.SetAttr(QStringLiteral("PaperSize"), QString::number(options_.DefaultPaperSize));
  if (options_.DefaultLandscape) {
    const QString w = page.Attr(QStringLiteral("Width"));
    page.SetAttr(QStringLiteral("Width"), page.Attr(QStringLiteral("Height")));
    page.SetAttr(QStringLiteral("Height"), w);
    page.SetAttr(QStringLiteral("Orientation"), QStringLiteral("Landscape"));
  }
  return root;
}

void TRptDesignerWindow::NewReport() {
  if (!ConfirmClose()) return;
  doc_.SetFileName({});
  doc_.LoadTree(NewFromOptions());
}

void TRptDesignerWindow::Preview() {
  TRptReport temp;
  temp.DataSet = report_.DataSet;
  temp.DataSetName = report_.DataSetName;
  temp.IniFile = report_.IniFile;
  temp.PDFExport = report_.PDFExport;
  const QString path = doc_.FileName().isEmpty() ? SesFolder() + QStringLiteral("/Nová sestava.ksr") : doc_.FileName();
  if (temp.LoadFromBytes(doc_.Bytes(), path)) temp.ShowReport();
}

bool TRptDesignerWindow::ConfirmClose() {
  // Esc in the text box closes without the box losing focus first.
  if (text_->document()->isModified()) ApplyText();
  if (!doc_.Modified()) return true;
  const QString name = doc_.ReportName().isEmpty() ? QStringLiteral("Nová sestava") : doc_.ReportName();
  switch (AskYesNoCancel(QStringLiteral("Sestava „%1“ byla změněna. Chcete změny uložit?").arg(name))) {
    case EngineInteraction::Answer::Yes: return Save();
    case EngineInteraction::Answer::No: return true;
    case EngineInteraction::Answer::Cancel: break;
  }
  return false;
}

void TRptDesignerWindow::reject() {
  if (!ConfirmClose()) return;
  SaveSettings();
  QDialog::reject();
}

void TRptDesignerWindow::LoadSettings() {
  double step = 1;
  bool snap = true;
  if (!report_.IniFile.isEmpty()) {
    QSettings ini(report_.IniFile, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Navrhar"));
    const QByteArray geometry = ini.value(QStringLiteral("Geometrie")).toByteArray();
    if (geometry.isEmpty() || !restoreGeometry(geometry)) resize(1180, 820);
    step = ini.value(QStringLiteral("KrokMrizky"), 1.0).toDouble();
    snap = ini.value(QStringLiteral("Prichytavat"), true).toBool();
    lastFolder_ = ini.value(QStringLiteral("PosledniSlozka")).toString();
    canvas_->SetZoom(ini.value(QStringLiteral("Zvetseni"), 1.0).toDouble());
  } else {
    resize(1180, 820);
  }
  doc_.SetGridStep(step);
  doc_.SetSnap(snap);
  snapAction_->setChecked(snap);
  for (auto& [s, a] : gridActions_) a->setChecked(std::abs(s - doc_.GridStep()) < 1e-9);
  for (auto& [z, a] : zoomActions_) a->setChecked(std::abs(z - canvas_->Zoom()) < 1e-9);
}

void TRptDesignerWindow::SaveSettings() {
  if (report_.IniFile.isEmpty()) return;
  QSettings ini(report_.IniFile, QSettings::IniFormat);
  ini.beginGroup(QStringLiteral("Navrhar"));
  ini.setValue(QStringLiteral("Geometrie"), saveGeometry());
  ini.setValue(QStringLiteral("KrokMrizky"), doc_.GridStep());
  ini.setValue(QStringLiteral("Prichytavat"), doc_.Snap());
  ini.setValue(QStringLiteral("PosledniSlozka"), lastFolder_);
  ini.setValue(QStringLiteral("Zvetseni"), canvas_->Zoom());
}

}  // namespace rpt
