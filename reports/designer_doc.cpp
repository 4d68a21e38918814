#include "designer_doc.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QRegularExpression>
#include <QSaveFile>

#include "sql_text.h"
#include "write_error.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace rpt {

namespace {

const XmlNode& EmptyNode() {
  static const XmlNode empty;
  return empty;
}

double Num(const XmlNode& n, const char* key, double fallback = 0) {
  bool ok = false;
  const double d = n.Attr(QLatin1String(key)).trimmed().toDouble(&ok);
  return ok ? d : fallback;
}

int TypeOrder(const QString& type) {
  static const QStringList order{"ReportTitle", "PageHeader", "ColumnHeader", "GroupHeader",
                                 "MasterData",  "GroupFooter", "PageFooter",  "ReportSummary"};
  const int i = static_cast<int>(order.indexOf(type));
  return i < 0 ? 99 : i;
}

}  // namespace

DesignerDoc::DesignerDoc(QObject* parent) : QObject(parent) { New(); }

QString DesignerDoc::FormatMm(double mm) {
  QString s = QString::number(std::round(mm * 100) / 100, 'f', 2);
  while (s.endsWith(u'0')) s.chop(1);
  if (s.endsWith(u'.')) s.chop(1);
  return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

bool DesignerDoc::Load(const QByteArray& bytes, QString* error) {
  XmlNode root;
  ReportDef def;
  if (!ReadTemplateXml(bytes, root, error) || !CompileTemplate(root, def, error)) return false;
  LoadTree(root);
  return true;
}

void DesignerDoc::LoadTree(const XmlNode& root) {
  root_ = root;
  saved_ = root_;
  undo_.clear();
  redo_.clear();
  selection_.clear();
  // The data band is where fields usually go.
  currentBand_ = BandCount() > 0 ? 0 : -1;
  for (int b = BandCount() - 1; b >= 0; --b)
    if (Band(b).Attr(QStringLiteral("Type")) == QLatin1String("MasterData")) currentBand_ = b;
  emit Changed();
  emit SelectionChanged();
}

void DesignerDoc::New() {
  fileName_.clear();
  LoadTree(NewTemplate());
}

bool DesignerDoc::SaveTo(const QString& path, QString* error) {
  const WriteRecord record(path);  // outlives the save file and its temporary
  QSaveFile file(path);
  const QByteArray bytes = Bytes();
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
    if (error) *error = WriteErrorText(file, path, bytes.size());
    return false;
  }
  if (!CommitWhole(file, path, bytes.size(), error)) return false;
  saved_ = root_;
  fileName_ = path;
  emit Changed();
  return true;
}

// ---------------------------------------------------------------------------------------

const XmlNode& DesignerDoc::Page() const {
  for (const XmlNode& c : root_.children)
    if (c.name == QLatin1String("Page")) return c;
  return EmptyNode();
}

XmlNode& DesignerDoc::MutablePage() {
  for (XmlNode& c : root_.children)
    if (c.name == QLatin1String("Page")) return c;
  XmlNode page = NewTemplate().children.front();
  root_.children.push_back(std::move(page));
  return root_.children.back();
}

std::vector<int> DesignerDoc::BandChildIndices() const {
  std::vector<int> out;
  const XmlNode& page = Page();
  for (int i = 0; i < static_cast<int>(page.children.size()); ++i)
    if (page.children[i].name == QLatin1String("Band")) out.push_back(i);
  return out;
}

int DesignerDoc::BandCount() const { return static_cast<int>(BandChildIndices().size()); }

const XmlNode& DesignerDoc::Band(int band) const {
  const std::vector<int> idx = BandChildIndices();
  if (band < 0 || band >= static_cast<int>(idx.size())) return EmptyNode();
  return Page().children[idx[band]];
}

XmlNode& DesignerDoc::MutableBand(int band) { return MutablePage().children[BandChildIndices().at(band)]; }

const XmlNode& DesignerDoc::Object(ObjRef ref) const {
  const XmlNode& b = Band(ref.band);
  if (ref.index < 0 || ref.index >= static_cast<int>(b.children.size())) return EmptyNode();
  return b.children[ref.index];
}

XmlNode& DesignerDoc::MutableObject(ObjRef ref) { return MutableBand(ref.band).children.at(ref.index); }

QRectF DesignerDoc::ObjectRect(ObjRef ref) const {
  const XmlNode& n = Object(ref);
  return {Num(n, "Left"), Num(n, "Top"), Num(n, "Width"), Num(n, "Height")};
}

double DesignerDoc::BandHeight(int band) const { return Num(Band(band), "Height"); }

double DesignerDoc::PageContentWidth() const {
  const XmlNode& p = Page();
  return Num(p, "Width", 210) - Num(p, "LeftMargin", 10) - Num(p, "RightMargin", 10);
}

// ---------------------------------------------------------------------------------------

void DesignerDoc::Select(const std::vector<ObjRef>& refs) {
  selection_.clear();
  for (const ObjRef& r : refs)
    if (!Object(r).name.isEmpty() && !IsSelected(r)) selection_.push_back(r);
  if (!selection_.empty()) currentBand_ = selection_.front().band;
  emit SelectionChanged();
}

void DesignerDoc::ToggleSelected(ObjRef ref) {
  auto it = std::find(selection_.begin(), selection_.end(), ref);
  if (it != selection_.end()) selection_.erase(it);
  else if (!Object(ref).name.isEmpty()) selection_.push_back(ref);
  emit SelectionChanged();
}

bool DesignerDoc::IsSelected(ObjRef ref) const {
  return std::find(selection_.begin(), selection_.end(), ref) != selection_.end();
}

void DesignerDoc::SelectAll() {
  std::vector<ObjRef> all;
  for (int b = 0; b < BandCount(); ++b)
    for (int i = 0; i < static_cast<int>(Band(b).children.size()); ++i) all.push_back({b, i});
  Select(all);
}

void DesignerDoc::SetCurrentBand(int band) {
  currentBand_ = band >= 0 && band < BandCount() ? band : -1;
  emit SelectionChanged();
}

void DesignerDoc::DropInvalidSelection() {
  std::erase_if(selection_, [this](const ObjRef& r) { return Object(r).name.isEmpty(); });
  if (currentBand_ >= BandCount()) currentBand_ = BandCount() - 1;
}

double DesignerDoc::Snapped(double mm) const { return snap_ ? std::round(mm / grid_) * grid_ : mm; }

// ---------------------------------------------------------------------------------------

template <class F>
void DesignerDoc::Change(const QString& name, F&& f) {
  XmlNode before = root_;
  f();
  if (SameTree(root_, before)) return;
  undo_.push_back({std::move(before), name});
  if (undo_.size() > kMaxUndoSteps) undo_.pop_front();
  redo_.clear();
  DropInvalidSelection();
  emit Changed();
  emit SelectionChanged();
}

namespace {

bool SameText(const QString& a, const QString& b) {
  // Shared buffers are equal without reading them.
  return (a.size() == b.size() && a.constData() == b.constData()) || a == b;
}

void CountText(const XmlNode& n, std::set<const QChar*>& seen, size_t& bytes) {
  auto add = [&](const QString& s) {
    if (!s.isEmpty() && seen.insert(s.constData()).second) bytes += static_cast<size_t>(s.size()) * sizeof(QChar);
  };
  add(n.name);
  add(n.text);
  for (const auto& [k, v] : n.attrs) {
    add(k);
    add(v);
  }
  for (const XmlExtra& e : n.extras) add(e.data);
  for (const XmlNode& c : n.children) CountText(c, seen, bytes);
}

}  // namespace

bool DesignerDoc::SameTree(const XmlNode& a, const XmlNode& b) {
  if (!SameText(a.name, b.name) || !SameText(a.text, b.text) || a.attrs.size() != b.attrs.size() ||
      a.children.size() != b.children.size() || a.extras != b.extras)
    return false;
  for (size_t i = 0; i < a.attrs.size(); ++i)
    if (!SameText(a.attrs[i].first, b.attrs[i].first) || !SameText(a.attrs[i].second, b.attrs[i].second)) return false;
  for (size_t i = 0; i < a.children.size(); ++i)
    if (!SameTree(a.children[i], b.children[i])) return false;
  return true;
}

size_t DesignerDoc::HistoryTextBytes() const {
  std::set<const QChar*> seen;
  size_t bytes = 0;
  CountText(root_, seen, bytes);
  for (const Step& s : undo_) CountText(s.state, seen, bytes);
  for (const Step& s : redo_) CountText(s.state, seen, bytes);
  return bytes;
}

void DesignerDoc::Restore(XmlNode root) {
  root_ = std::move(root);
  DropInvalidSelection();
  emit Changed();
  emit SelectionChanged();
}

void DesignerDoc::Undo() {
  if (undo_.empty()) return;
  redo_.push_back({root_, undo_.back().name});
  XmlNode state = std::move(undo_.back().state);
  undo_.pop_back();
  Restore(std::move(state));
}

void DesignerDoc::Redo() {
  if (redo_.empty()) return;
  undo_.push_back({root_, redo_.back().name});
  XmlNode state = std::move(redo_.back().state);
  redo_.pop_back();
  Restore(std::move(state));
}

void DesignerDoc::SetRect(XmlNode& n, const QRectF& r) const {
  // Within what a template may hold, so whatever the mouse and keys do is saved loadable.
  auto position = [](double v) { return std::clamp(v, -kMaxLength, kMaxLength); };
  auto size = [](double v) { return std::clamp(v, 0.0, kMaxLength); };
  n.SetAttr(QStringLiteral("Left"), FormatMm(position(r.left())));
  n.SetAttr(QStringLiteral("Top"), FormatMm(position(r.top())));
  n.SetAttr(QStringLiteral("Width"), FormatMm(size(r.width())));
  n.SetAttr(QStringLiteral("Height"), FormatMm(size(r.height())));
}

void DesignerDoc::MoveSelection(double dx, double dy, bool fine) {
  Change(QStringLiteral("Přesunout"), [&] {
    for (const ObjRef& r : selection_) {
      QRectF rect = ObjectRect(r);
      double left = rect.left() + dx, top = rect.top() + dy;
      if (!fine) {
        // Only the moved axis snaps, so a vertical move keeps an off-grid left edge.
        if (dx != 0) left = Snapped(left);
        if (dy != 0) top = Snapped(top);
      }
      rect.moveTo(std::max(0.0, left), std::max(0.0, top));
      SetRect(MutableObject(r), rect);
    }
  });
}

void DesignerDoc::ResizeSelection(double dw, double dh, bool fine) {
  Change(QStringLiteral("Změnit velikost"), [&] {
    for (const ObjRef& r : selection_) {
      QRectF rect = ObjectRect(r);
      double w = rect.width() + dw, h = rect.height() + dh;
      if (!fine) {
        if (dw != 0) w = Snapped(rect.left() + w) - rect.left();
        if (dh != 0) h = Snapped(rect.top() + h) - rect.top();
      }
      rect.setWidth(std::max(0.0, w));
      rect.setHeight(std::max(0.0, h));
      SetRect(MutableObject(r), rect);
    }
  });
}

void DesignerDoc::ResizeSelectionSides(unsigned sides, double dx, double dy, bool fine) {
  Change(QStringLiteral("Změnit velikost"), [&] {
    for (const ObjRef& r : selection_) {
      const QRectF rect = ObjectRect(r);
      double left = rect.left(), top = rect.top(), right = rect.right(), bottom = rect.bottom();
      // Only a side that moved snaps, so an off-grid opposite side stays as it was.
      auto moved = [&](double v, double d) { return fine || d == 0 ? v + d : Snapped(v + d); };
      if (sides & kFrameLeft) left = std::min(right, std::max(0.0, moved(left, dx)));
      if (sides & kFrameRight) right = std::max(left, moved(right, dx));
      if (sides & kFrameTop) top = std::min(bottom, std::max(0.0, moved(top, dy)));
      if (sides & kFrameBottom) bottom = std::max(top, moved(bottom, dy));
      SetRect(MutableObject(r), QRectF(QPointF(left, top), QPointF(right, bottom)));
    }
  });
}

void DesignerDoc::SetBandHeight(int band, double height, bool fine) {
  if (band < 0 || band >= BandCount()) return;
  const double h = std::clamp(fine ? height : Snapped(height), 0.0, kMaxLength);
  Change(QStringLiteral("Změnit výšku pásu"), [&] { MutableBand(band).SetAttr(QStringLiteral("Height"), FormatMm(h)); });
}

void DesignerDoc::MoveSelectionTo(int band, const std::vector<QPointF>& topLefts) {
  if (band < 0 || band >= BandCount() || topLefts.size() != selection_.size()) return;
  Change(QStringLiteral("Přesunout"), [&] {
    std::vector<XmlNode> moved;
    for (size_t i = 0; i < selection_.size(); ++i) {
      XmlNode n = Object(selection_[i]);
      QRectF r = ObjectRect(selection_[i]);
      r.moveTo(std::max(0.0, Snapped(topLefts[i].x())), std::max(0.0, Snapped(topLefts[i].y())));
      SetRect(n, r);
      moved.push_back(std::move(n));
    }
    std::vector<ObjRef> doomed = selection_;
    std::sort(doomed.begin(), doomed.end(),
              [](const ObjRef& a, const ObjRef& b) { return a.band != b.band ? a.band > b.band : a.index > b.index; });
    for (const ObjRef& r : doomed) {
      auto& kids = MutableBand(r.band).children;
      kids.erase(kids.begin() + r.index);
    }
    selection_.clear();
    auto& kids = MutableBand(band).children;
    for (XmlNode& n : moved) {
      kids.push_back(std::move(n));
      selection_.push_back({band, static_cast<int>(kids.size()) - 1});
    }
  });
  currentBand_ = band;
}

void DesignerDoc::Align(AlignKind kind) {
  if (selection_.size() < 2) return;
  const QRectF a = ObjectRect(selection_.front());
  Change(QStringLiteral("Zarovnat"), [&] {
    for (size_t i = 1; i < selection_.size(); ++i) {
      QRectF r = ObjectRect(selection_[i]);
      switch (kind) {
        case AlignKind::Left: r.moveLeft(a.left()); break;
        case AlignKind::Right: r.moveRight(a.right()); break;
        case AlignKind::Top: r.moveTop(a.top()); break;
        case AlignKind::Bottom: r.moveBottom(a.bottom()); break;
        case AlignKind::HCenter: r.moveLeft(a.center().x() - r.width() / 2); break;
        case AlignKind::VCenter: r.moveTop(a.center().y() - r.height() / 2); break;
      }
      SetRect(MutableObject(selection_[i]), r);
    }
  });
}

void DesignerDoc::SameWidth() {
  if (selection_.size() < 2) return;
  const double w = ObjectRect(selection_.front()).width();
  Change(QStringLiteral("Stejná šířka"), [&] {
    for (size_t i = 1; i < selection_.size(); ++i) MutableObject(selection_[i]).SetAttr(QStringLiteral("Width"), FormatMm(w));
  });
}

void DesignerDoc::SameHeight() {
  if (selection_.size() < 2) return;
  const double h = ObjectRect(selection_.front()).height();
  Change(QStringLiteral("Stejná výška"), [&] {
    for (size_t i = 1; i < selection_.size(); ++i) MutableObject(selection_[i]).SetAttr(QStringLiteral("Height"), FormatMm(h));
  });
}

void DesignerDoc::DeleteSelection() { DeleteSelectionAs(QStringLiteral("Smazat")); }

void DesignerDoc::DeleteSelectionAs(const QString& name) {
  std::vector<ObjRef> doomed = selection_;
  // Later indices first, so earlier ones stay valid.
  std::sort(doomed.begin(), doomed.end(),
            [](const ObjRef& a, const ObjRef& b) { return a.band != b.band ? a.band > b.band : a.index > b.index; });
  Change(name, [&] {
    for (const ObjRef& r : doomed) {
      auto& kids = MutableBand(r.band).children;
      kids.erase(kids.begin() + r.index);
    }
    selection_.clear();
  });
}

namespace {

constexpr QLatin1String kClipboardRoot("KalmetraObjekty");

QClipboard* SystemClipboard() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

}  // namespace

void DesignerDoc::Copy() {
  if (selection_.empty()) return;
  XmlNode list;
  list.name = kClipboardRoot;
  list.SetAttr(QStringLiteral("Version"), QStringLiteral("1"));
  for (const ObjRef& r : selection_) list.children.push_back(Object(r));
  const QByteArray bytes = WriteTemplateXml(list);
  QClipboard* clipboard = SystemClipboard();
  if (!clipboard) {
    clipboard_ = bytes;
    return;
  }
  auto* data = new QMimeData;
  data->setData(QLatin1String(kClipboardMime), bytes);
  // The plain text is the same document, declared as the UTF-8 it is read back as.
  QString text = QString::fromStdU16String(orvek3::AnsiToUtf16(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))));
  text.replace(QStringLiteral("encoding=\"windows-1250\""), QStringLiteral("encoding=\"UTF-8\""));
  data->setText(text);
  clipboard->setMimeData(data);
}

QByteArray DesignerDoc::ClipboardBytes() const {
  const QClipboard* clipboard = SystemClipboard();
  if (!clipboard) return clipboard_;
  const QMimeData* data = clipboard->mimeData();
  if (!data) return {};
  if (data->hasFormat(QLatin1String(kClipboardMime))) return data->data(QLatin1String(kClipboardMime));
  return data->hasText() ? data->text().toUtf8() : QByteArray();
}

bool DesignerDoc::CanPaste() const {
  const QClipboard* clipboard = SystemClipboard();
  if (!clipboard) return !clipboard_.isEmpty();
  const QMimeData* data = clipboard->mimeData();
  return data && (data->hasFormat(QLatin1String(kClipboardMime)) ||
                  (data->hasText() && data->text().contains(u'<' + QString(kClipboardRoot))));
}

void DesignerDoc::Cut() {
  Copy();
  DeleteSelectionAs(QStringLiteral("Vyjmout"));
}

void DesignerDoc::Paste(int band) {
  if (band < 0 || band >= BandCount()) return;
  XmlNode list;
  if (!ReadTemplateXml(ClipboardBytes(), list, nullptr) || list.name != kClipboardRoot || list.children.empty() ||
      !RoomForObjects(band, list.children.size()))
    return;
  std::vector<ObjRef> pasted;
  // Checked like a typed property: what the engine could not read is not pasted.
  const bool ok = ChangeChecked(QStringLiteral("Vložit"), [&] {
    pasted.clear();
    for (XmlNode n : list.children) {
      QString base = n.Attr(QStringLiteral("Name"));
      while (!base.isEmpty() && base.back().isDigit()) base.chop(1);
      n.SetAttr(QStringLiteral("Name"), UniqueName(base.isEmpty() ? n.name : base));
      auto& kids = MutableBand(band).children;
      kids.push_back(std::move(n));
      pasted.push_back({band, static_cast<int>(kids.size()) - 1});
    }
  }, nullptr);
  if (ok) Select(pasted);
}

QString DesignerDoc::UniqueName(const QString& base) const {
  QStringList used;
  for (int b = 0; b < BandCount(); ++b)
    for (const XmlNode& n : Band(b).children) used << n.Attr(QStringLiteral("Name"));
  for (int i = 1;; ++i) {
    const QString name = base + QString::number(i);
    if (!used.contains(name)) return name;
  }
}

XmlNode DesignerDoc::MakeObject(const QString& kind, const QString& nameBase, double left, double top) const {
  XmlNode n;
  n.name = kind;
  n.SetAttr(QStringLiteral("Name"), UniqueName(nameBase));
  const bool line = kind == QLatin1String("Line");
  SetRect(n, QRectF(Snapped(std::max(0.0, left)), Snapped(std::max(0.0, top)), 30, line ? 0 : 5));
  if (kind == QLatin1String("Text")) {
    n.SetAttr(QStringLiteral("Font"), fontFamily_);
    n.SetAttr(QStringLiteral("Size"), FormatMm(fontSize_));
    n.text = QStringLiteral("Text");
  } else if (line) {
    n.SetAttr(QStringLiteral("LineWidth"), QStringLiteral("0.2"));
  }
  return n;
}

bool DesignerDoc::RoomForObjects(int band, size_t count) const {
  size_t all = 0;
  for (int b = 0; b < BandCount(); ++b) all += Band(b).children.size();
  return Band(band).children.size() + count <= static_cast<size_t>(kMaxObjectsPerBand) &&
         all + count <= static_cast<size_t>(kMaxObjects);
}

ObjRef DesignerDoc::Insert(int band, XmlNode node, const QString& name) {
  ObjRef ref;
  // Past the limits the engine refuses, the saved template would not load again.
  if (!RoomForObjects(band, 1)) return ref;
  Change(name, [&] {
    auto& kids = MutableBand(band).children;
    kids.push_back(std::move(node));
    ref = {band, static_cast<int>(kids.size()) - 1};
  });
  Select({ref});
  return ref;
}

ObjRef DesignerDoc::AddObject(int band, const QString& kind, double left, double top) {
  if (band < 0 || band >= BandCount()) return {};
  return Insert(band, MakeObject(kind, kind, left, top), QStringLiteral("Vložit objekt"));
}

ObjRef DesignerDoc::AddField(int band, const QString& field, double left, double top, const QString& dataSet) {
  if (band < 0 || band >= BandCount()) return {};
  QString base = field;
  base.remove(QRegularExpression(QStringLiteral("[^\\w]")));
  XmlNode n = MakeObject(QStringLiteral("Text"), base.isEmpty() ? QStringLiteral("Pole") : base, left, top);
  n.text = QStringLiteral("[%1.\"%2\"]").arg(dataSet, field);
  return Insert(band, std::move(n), QStringLiteral("Vložit pole"));
}

ObjRef DesignerDoc::AddImage(int band, const QByteArray& imageData, double left, double top) {
  if (band < 0 || band >= BandCount()) return {};
  XmlNode n = MakeObject(QStringLiteral("Image"), QStringLiteral("Image"), left, top);
  n.text = QString::fromLatin1(imageData.toBase64());
  return Insert(band, std::move(n), QStringLiteral("Vložit obrázek"));
}

template <class F>
bool DesignerDoc::ChangeChecked(const QString& name, F&& f, QString* error) {
  XmlNode trial = root_;
  std::swap(trial, root_);
  f();
  ReportDef def;
  QString why;
  const bool ok = CompileTemplate(root_, def, &why);
  std::swap(trial, root_);  // back to the state before, the change held in trial
  if (!ok) {
    if (error) *error = why;
    return false;
  }
  Change(name, [&] { root_ = std::move(trial); });
  return true;
}

namespace {

// A character the file cannot hold would be left out on saving; the user hears why now.
bool Storable(const QString& value, QString* error) {
  const QString why = ForbiddenXmlCharReason(value);
  if (why.isEmpty()) return true;
  if (error) *error = why;
  return false;
}

void SetOrRemove(XmlNode& n, const QString& key, const QString& value) {
  // An empty frame means "no frame", unlike a missing one.
  if (value.isEmpty() && key != QLatin1String("Frame")) std::erase_if(n.attrs, [&](const auto& a) { return a.first == key; });
  else n.SetAttr(key, value);
}

}  // namespace

bool DesignerDoc::SetObjectAttr(ObjRef ref, const QString& key, const QString& value, QString* error) {
  if (Object(ref).name.isEmpty()) return false;
  if (!Storable(value, error)) return false;
  return ChangeChecked(QStringLiteral("Změnit vlastnost"), [&] { SetOrRemove(MutableObject(ref), key, value); }, error);
}

bool DesignerDoc::SetSelectionAttr(const QString& key, const QString& value, QString* error) {
  if (selection_.empty()) return false;
  if (!Storable(value, error)) return false;
  return ChangeChecked(QStringLiteral("Změnit vlastnost"), [&] {
    for (const ObjRef& r : selection_) SetOrRemove(MutableObject(r), key, value);
  }, error);
}

bool DesignerDoc::SetSelectionAttrs(const Attrs& attrs, const QString& stepName, QString* error) {
  if (selection_.empty()) return false;
  for (const auto& [key, value] : attrs)
    if (!Storable(value, error)) return false;
  return ChangeChecked(stepName, [&] {
    for (const ObjRef& r : selection_)
      for (const auto& [key, value] : attrs) SetOrRemove(MutableObject(r), key, value);
  }, error);
}

bool DesignerDoc::SetPageAttrs(const Attrs& attrs, const QString& stepName, QString* error) {
  for (const auto& [key, value] : attrs)
    if (!Storable(value, error)) return false;
  return ChangeChecked(stepName, [&] {
    for (const auto& [key, value] : attrs) SetOrRemove(MutablePage(), key, value);
  }, error);
}

bool DesignerDoc::SetObjectText(ObjRef ref, const QString& text, QString* error) {
  if (Object(ref).name.isEmpty()) return false;
  if (!Storable(text, error)) return false;
  return ChangeChecked(QStringLiteral("Změnit text"), [&] { MutableObject(ref).text = text; }, error);
}

bool DesignerDoc::SetBandAttr(int band, const QString& key, const QString& value, QString* error) {
  if (band < 0 || band >= BandCount()) return false;
  if (!Storable(value, error)) return false;
  return ChangeChecked(QStringLiteral("Změnit vlastnost"), [&] { SetOrRemove(MutableBand(band), key, value); }, error);
}

bool DesignerDoc::SetPageAttr(const QString& key, const QString& value, QString* error) {
  if (!Storable(value, error)) return false;
  return ChangeChecked(QStringLiteral("Změnit vlastnost"), [&] { SetOrRemove(MutablePage(), key, value); }, error);
}

bool DesignerDoc::SetOrientation(const QString& value, QString* error) {
  const bool landscape = value == QLatin1String("Landscape");
  if (!landscape && value != QLatin1String("Portrait")) {
    if (error) *error = QStringLiteral("orientace je Portrait nebo Landscape, ne „%1“").arg(value);
    return false;
  }
  return ChangeChecked(QStringLiteral("Změnit orientaci"), [&] {
    XmlNode& page = MutablePage();
    const QString w = page.Attr(QStringLiteral("Width"), QStringLiteral("210"));
    const QString h = page.Attr(QStringLiteral("Height"), QStringLiteral("297"));
    const bool wide = w.toDouble() > h.toDouble();
    if (wide != landscape) {
      page.SetAttr(QStringLiteral("Width"), h);
      page.SetAttr(QStringLiteral("Height"), w);
    }
    page.SetAttr(QStringLiteral("Orientation"), value);
  }, error);
}

bool DesignerDoc::SetReportOptions(const QString& name, const QString& author, const QStringList& description,
                                   QString* error) {
  if (!Storable(name, error) || !Storable(author, error) || !Storable(description.join(u'\n'), error)) return false;
  Change(QStringLiteral("Změnit vlastnosti sestavy"), [&] {
    root_.SetAttr(QStringLiteral("ReportOptions.Name"), name);
    root_.SetAttr(QStringLiteral("ReportOptions.Author"), author);
    root_.SetAttr(QStringLiteral("ReportOptions.Description"), description.join(QStringLiteral("\r\n")));
  });
  return true;
}

QString DesignerDoc::ReportName() const { return root_.Attr(QStringLiteral("ReportOptions.Name")); }
QString DesignerDoc::ReportAuthor() const { return root_.Attr(QStringLiteral("ReportOptions.Author")); }
QStringList DesignerDoc::ReportDescription() const {
  const QString d = root_.Attr(QStringLiteral("ReportOptions.Description"));
  return d.isEmpty() ? QStringList() : d.split(QStringLiteral("\r\n"));
}

int DesignerDoc::AddBand(BandType type) {
  if (BandCount() >= kMaxBandsPerPage) return -1;
  const QString typeName = BandTypeName(type);
  const int order = TypeOrder(typeName);
  // A new group footer is the innermost one: right after the data band.
  int pos = BandCount();
  for (int b = 0; b < BandCount(); ++b) {
    const int o = TypeOrder(Band(b).Attr(QStringLiteral("Type")));
    if (o > order || (type == BandType::GroupFooter && o == order)) {
      pos = b;
      break;
    }
  }
  XmlNode n;
  n.name = QStringLiteral("Band");
  n.SetAttr(QStringLiteral("Type"), typeName);
  QString name;
  for (int i = 1;; ++i) {
    name = typeName + QString::number(i);
    bool used = false;
    for (int b = 0; b < BandCount(); ++b) used = used || Band(b).Attr(QStringLiteral("Name")) == name;
    if (!used) break;
  }
  n.SetAttr(QStringLiteral("Name"), name);
  if (type == BandType::MasterData) n.SetAttr(QStringLiteral("DataSet"), QStringLiteral("RptDataset1"));
  n.SetAttr(QStringLiteral("Height"), QStringLiteral("10"));
  if (type == BandType::GroupHeader) n.SetAttr(QStringLiteral("Condition"), QStringLiteral("[RptDataset1.\"Zanr\"]"));
  Change(QStringLiteral("Přidat pás"), [&] {
    XmlNode& page = MutablePage();
    const std::vector<int> idx = BandChildIndices();
    const int at = pos < static_cast<int>(idx.size()) ? idx[pos] : static_cast<int>(page.children.size());
    page.children.insert(page.children.begin() + at, std::move(n));
    selection_.clear();
  });
  currentBand_ = pos;
  emit SelectionChanged();
  return pos;
}

void DesignerDoc::RemoveBand(int band) {
  if (band < 0 || band >= BandCount()) return;
  Change(QStringLiteral("Odstranit pás"), [&] {
    XmlNode& page = MutablePage();
    page.children.erase(page.children.begin() + BandChildIndices()[band]);
    selection_.clear();
  });
  currentBand_ = std::min(band, BandCount() - 1);
  emit SelectionChanged();
}

void DesignerDoc::MoveBand(int band, int delta) {
  const int to = band + delta;
  if (band < 0 || band >= BandCount() || to < 0 || to >= BandCount()) return;
  Change(QStringLiteral("Posunout pás"), [&] {
    XmlNode& page = MutablePage();
    const std::vector<int> idx = BandChildIndices();
    std::swap(page.children[idx[band]], page.children[idx[to]]);
    selection_.clear();
  });
  currentBand_ = to;
  emit SelectionChanged();
}

// ---------------------------------------------------------------------------------------

namespace {

// Moves the chosen children of a band to its end or its start, each kept in the band's
// order; returns their new indices by old index.
std::vector<std::pair<int, int>> Reorder(XmlNode& band, std::vector<int> picked, bool toFront) {
  std::sort(picked.begin(), picked.end());
  std::vector<XmlNode> moved, others;
  for (int i = 0; i < static_cast<int>(band.children.size()); ++i)
    (std::binary_search(picked.begin(), picked.end(), i) ? moved : others).push_back(std::move(band.children[i]));
  const int first = toFront ? static_cast<int>(others.size()) : 0;
  std::vector<std::pair<int, int>> map;
  for (int k = 0; k < static_cast<int>(picked.size()); ++k) map.emplace_back(picked[k], first + k);
  band.children.clear();
  auto append = [&](std::vector<XmlNode>& v) {
    for (XmlNode& n : v) band.children.push_back(std::move(n));
  };
  if (toFront) {
    append(others);
    append(moved);
  } else {
    append(moved);
    append(others);
  }
  return map;
}

}  // namespace

void DesignerDoc::BringSelectionToFront() { ReorderSelection(true); }

void DesignerDoc::SendSelectionToBack() { ReorderSelection(false); }

void DesignerDoc::ReorderSelection(bool toFront) {
  if (selection_.empty()) return;
  Change(toFront ? QStringLiteral("Do popředí") : QStringLiteral("Do pozadí"), [&] {
    std::map<std::pair<int, int>, int> moved;  // (band, old index) -> new index
    for (int b = 0; b < BandCount(); ++b) {
      std::vector<int> picked;
      for (const ObjRef& r : selection_)
        if (r.band == b) picked.push_back(r.index);
      if (picked.empty()) continue;
      for (const auto& [from, to] : Reorder(MutableBand(b), picked, toFront)) moved[{b, from}] = to;
    }
    for (ObjRef& r : selection_) r.index = moved.at({r.band, r.index});
  });
}

ObjRef DesignerDoc::AddFieldWithCaption(int band, const QString& field, const QString& caption, double left, double top,
                                        const QString& dataSet) {
  if (band < 0 || band >= BandCount()) return {};
  if (Band(band).Attr(QStringLiteral("Type")) != QLatin1String("MasterData")) return AddField(band, field, left, top, dataSet);
  int header = -1;
  for (int b = 0; b < BandCount() && header < 0; ++b)
    if (Band(b).Attr(QStringLiteral("Type")) == QLatin1String("ColumnHeader")) header = b;
  if (!RoomForObjects(band, 2) || (header >= 0 && !RoomForObjects(header, 1)) || (header < 0 && BandCount() >= kMaxBandsPerPage))
    return {};
  QString base = field;
  base.remove(QRegularExpression(QStringLiteral("[^\\w]")));
  if (base.isEmpty()) base = QStringLiteral("Pole");
  XmlNode bound = MakeObject(QStringLiteral("Text"), base, left, top);
  bound.text = QStringLiteral("[%1.\"%2\"]").arg(dataSet, field);
  const QRectF r(Num(bound, "Left"), Num(bound, "Top"), Num(bound, "Width"), Num(bound, "Height"));
  XmlNode label = MakeObject(QStringLiteral("Text"), QStringLiteral("Hl") + base, 0, 0);
  SetRect(label, QRectF(r.left(), 0, r.width(), r.height()));
  label.SetAttr(QStringLiteral("Bold"), QStringLiteral("1"));
  // A caption is literal text: a bracket in it must not read as an expression.
  label.text = QString(caption).replace(u'[', QStringLiteral("[["));
  ObjRef ref;
  Change(QStringLiteral("Vložit pole"), [&] {
    XmlNode& page = MutablePage();
    if (header < 0) {
      // At its place in the usual order: after the page header, before groups and data.
      const int order = TypeOrder(QStringLiteral("ColumnHeader"));
      header = BandCount();
      for (int b = 0; b < BandCount(); ++b)
        if (TypeOrder(Band(b).Attr(QStringLiteral("Type"))) > order) {
          header = b;
          break;
        }
      XmlNode n;
      n.name = QStringLiteral("Band");
      n.SetAttr(QStringLiteral("Type"), QStringLiteral("ColumnHeader"));
      QString name;
      for (int i = 1;; ++i) {
        name = QStringLiteral("ColumnHeader%1").arg(i);
        bool used = false;
        for (int b = 0; b < BandCount(); ++b) used = used || Band(b).Attr(QStringLiteral("Name")) == name;
        if (!used) break;
      }
      n.SetAttr(QStringLiteral("Name"), name);
      n.SetAttr(QStringLiteral("Height"), FormatMm(r.height() + 2));
      const std::vector<int> idx = BandChildIndices();
      const int at = header < static_cast<int>(idx.size()) ? idx[header] : static_cast<int>(page.children.size());
      page.children.insert(page.children.begin() + at, std::move(n));
      if (header <= band) ++band;
      selection_.clear();
    }
    XmlNode& h = MutableBand(header);
    if (Num(h, "Height") < r.height()) h.SetAttr(QStringLiteral("Height"), FormatMm(r.height()));
    h.children.push_back(std::move(label));
    auto& kids = MutableBand(band).children;
    kids.push_back(std::move(bound));
    ref = {band, static_cast<int>(kids.size()) - 1};
  });
  Select({ref});
  return ref;
}

}  // namespace rpt
