#include "prepare.h"

#include "platform_library.h"

#include <QCollator>
#include <QDate>
#include <QFontMetricsF>
#include <QHash>
#include <QTextLayout>
#include <QTime>

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>
#include <limits>

namespace rpt {

namespace {

constexpr double kMmPerUnit = 25.4 / kLayoutDpi;
constexpr double kPad = 0.5;  // mm of air on the left and right of a text
constexpr double kEps = 1e-6;
// Stands for the page count until it is known.
constexpr char16_t kTotalPagesMark = 0xE000;
// Bounds no real report reaches: a template whose bands cannot fit a page ends with a
// message instead of adding pages for ever.
constexpr int kMaxPagesPerRow = 1000;
constexpr int kMaxPages = 200000;

struct Acc {
  long long count = 0;
  std::vector<double> sum, min, max;
  std::vector<long long> n;
  void Reset(size_t fields) {
    count = 0;
    sum.assign(fields, 0);
    min.assign(fields, std::numeric_limits<double>::infinity());
    max.assign(fields, -std::numeric_limits<double>::infinity());
    n.assign(fields, 0);
  }
  void Add(const std::vector<double>& v, const std::vector<bool>& ok) {
    ++count;
    for (size_t i = 0; i < v.size(); ++i) {
      if (!ok[i]) continue;
      sum[i] += v[i];
      min[i] = std::min(min[i], v[i]);
      max[i] = std::max(max[i], v[i]);
      ++n[i];
    }
  }
};

struct Line {
  int start = 0, length = 0;
  double width = 0;  // natural width, layout units
  double y = 0, height = 0, ascent = 0;
  bool lastOfParagraph = true;
};

// Texts are looked up for every row: the standard library's hash of the UTF-16 units is
// several times cheaper than Qt's here, which pays for mixing vector instruction sets.
struct TextHash {
  size_t operator()(const QString& s) const {
    return std::hash<std::u16string_view>{}(std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()),
                                                                 static_cast<size_t>(s.size())));
  }
};

struct FontCache {
  RunFont font;
  QFont qfont;
  std::unique_ptr<QFontMetricsF> metrics;
  std::array<float, 0x180> advances;  // letters of the Latin pages, layout units; -1 until measured
  std::unordered_map<QString, double, TextHash> widths;
};

class Preparer {
 public:
  Preparer(const ReportDef& report, DataSource& source, PreparedReport& out, const ProgressFn& progress)
      : report_(report), page_(report.pages.front()), src_(source), out_(out), progress_(progress) {
    groupOrder_.setCaseSensitivity(Qt::CaseInsensitive);
  }

  bool Run(QString* error);

 private:
  struct LaidBand {
    double height = 0;
    std::vector<PreparedItem> items;  // relative to the band's top left
  };
  struct Ctx {
    const Acc* acc = nullptr;
    const std::vector<QString>* values = nullptr;
  };

  bool Check(QString* error);
  int FieldSlot(const QString& field) const {
    const auto it = fieldSlot_.find(field);
    return it == fieldSlot_.end() ? -1 : it->second;
  }
  QString Eval(const Expression& e, const Ctx& ctx) const;
  uint16_t FontIndex(const FontDef& f);
  // The font of a text object, looked up once.
  uint16_t FontOf(const ObjDef& o);
  void Break(const QString& text, uint16_t font, double widthUnits, bool wrap, std::vector<Line>& lines);
  bool SurelyFits(uint16_t font, const QString& text, double widthUnits);
  // Text width in layout units; genres and names repeat, so widths are remembered.
  double Width(uint16_t font, const QString& text);
  LaidBand Layout(const BandDef& band, const Ctx& ctx, double width, int row);
  void Place(LaidBand& lb, double x);
  void PlaceSplit(LaidBand& lb, bool dataArea);
  void KeepHeadersWithRow(size_t fromLevel, int row);
  void StartPage();
  void EndPage();
  void Stop(const QString& why);
  bool Stopped() const { return cancelled_ || failed_; }
  static QString BandLabel(const BandDef* band);
  // Room for a band of the data area: next column or next page when needed.
  void Ensure(double height, bool dataArea);
  void ColumnHeaderIfDue();
  // addRowToPage: the row counts for the page the band lands on.
  void PlaceBand(const BandDef* band, const Ctx& ctx, bool dataArea, int row = 0, bool addRowToPage = false);
  // Moves on to the next column, keeping how far down the columns reach.
  void NextColumn() {
    columnsBottom_ = std::max(columnsBottom_, y_);
    ++column_;
    y_ = dataTop_;
  }
  double ColumnWidth() const;
  double ColumnX() const { return page_.leftMargin + column_ * (ColumnWidth() + page_.columnGap); }
  double FullWidth() const { return page_.width - page_.leftMargin - page_.rightMargin; }
  void ReadRow();
  void ReadNumbers();
  // Group values compare as the rows are ordered: letter case ignored.
  bool SameGroupValue(const QString& a, const QString& b) const { return a == b || groupOrder_.compare(a, b) == 0; }

  const ReportDef& report_;
  const PageDef& page_;
  DataSource& src_;
  PreparedReport& out_;
  const ProgressFn& progress_;

  // Fields the template uses: name -> slot in the row vectors; slot -> source index.
  std::unordered_map<QString, int, TextHash> fieldSlot_;
  std::vector<int> sourceIndex_;
  std::vector<int> aggSlots_;  // slots of fields in SUM/MIN/MAX/AVG, by aggregate index
  QHash<int, int> aggIndex_;   // slot -> aggregate index
  std::vector<QString> cur_, prev_;
  std::vector<double> aggValues_;
  std::vector<bool> aggOk_;

  const BandDef* title_ = nullptr;
  const BandDef* pageHeader_ = nullptr;
  const BandDef* columnHeader_ = nullptr;
  const BandDef* data_ = nullptr;
  const BandDef* pageFooter_ = nullptr;
  const BandDef* summary_ = nullptr;
  std::vector<const BandDef*> groupHeaders_, groupFooters_;  // by level, outermost first

  std::vector<FontCache> fonts_;
  std::unordered_map<const ObjDef*, uint16_t> objectFont_;
  std::unordered_map<const ObjDef*, uint32_t> objectImage_;
  std::vector<double> growth_, shift_;
  std::vector<std::vector<Line>> lines_;
  std::vector<QString> texts_;
  std::vector<char> hidden_;
  std::vector<uint16_t> fontOf_;
  QString date_, time_;
  int pageNo_ = 0;
  int lineNo_ = 0;
  double y_ = 0, bottom_ = 0, dataTop_ = 0;
  int column_ = 0;
  double columnsBottom_ = 0;  // lowest bottom of the columns left on this page
  bool columnHeaderDue_ = true;
  bool dataOnPage_ = false;
  bool titleOnPage_ = false;  // the title (or its last piece) is on this page
  bool cancelled_ = false;
  // Set when preparation cannot go on; the reason is in failure_.
  bool failed_ = false;
  QString failure_;
  const BandDef* placing_ = nullptr;  // the band being placed, for messages
  int rowFirstPage_ = 1;              // the page the current row started on
  struct Grown {
    double key;  // bottom edge less the tolerance
    double growth;
    size_t index;
  };
  std::vector<Grown> grown_;
  std::vector<std::pair<double, size_t>> best_;      // growth and its object, over a prefix
  std::vector<double> second_;                       // best growth of another object
  std::unordered_map<QString, uint16_t, TextHash> fontIndex_;
  Acc reportAcc_, pageAcc_;
  std::vector<Acc> groupAcc_;
  std::vector<bool> groupOpen_;
  std::vector<std::vector<QString>> groupRows_;  // by level: the row that opened the group
  QCollator groupOrder_{QLocale(QLocale::Czech)};
};

bool Preparer::Check(QString* error) {
  if (!CheckFieldReferences(report_, src_, error)) return false;
  const QStringList names = src_.FieldNames();
  // Slots for the fields the template uses, in the order first used.
  auto use = [&](const Expression& e) {
    for (const Segment& s : e.segments) {
      if (s.dataSet.isEmpty() || s.field.isEmpty()) continue;
      const int index = static_cast<int>(names.indexOf(s.field));
      if (fieldSlot_.find(s.field) == fieldSlot_.end()) {
        fieldSlot_.emplace(s.field, static_cast<int>(sourceIndex_.size()));
        sourceIndex_.push_back(index);
      }
      const int slot = FieldSlot(s.field);
      if (s.kind != SegKind::Field && !aggIndex_.contains(slot)) {
        aggIndex_.insert(slot, static_cast<int>(aggSlots_.size()));
        aggSlots_.push_back(slot);
      }
    }
  };
  for (const BandDef& b : page_.bands) {
    use(b.condition);
    for (const ObjDef& o : b.objects)
      if (o.kind == ObjKind::Text) use(o.text);
    switch (b.type) {
      case BandType::ReportTitle: if (!title_) title_ = &b; break;
      case BandType::PageHeader: if (!pageHeader_) pageHeader_ = &b; break;
      case BandType::ColumnHeader: if (!columnHeader_) columnHeader_ = &b; break;
      case BandType::MasterData: if (!data_) data_ = &b; break;
      case BandType::PageFooter: if (!pageFooter_) pageFooter_ = &b; break;
      case BandType::ReportSummary: if (!summary_) summary_ = &b; break;
      case BandType::GroupHeader: groupHeaders_.push_back(&b); break;
      case BandType::GroupFooter: groupFooters_.push_back(&b); break;
    }
  }
  // Footers stand below the data band as the designer adds them: the first closes the
  // innermost group, each further one the group around it.
  const std::vector<const BandDef*> footers = std::move(groupFooters_);
  const size_t levels = groupHeaders_.size();
  groupFooters_.assign(levels, nullptr);
  for (size_t i = 0; i < footers.size() && i < levels; ++i) groupFooters_[levels - 1 - i] = footers[i];
  return true;
}

QString Preparer::Eval(const Expression& e, const Ctx& ctx) const {
  QString s;
  for (const Segment& seg : e.segments) {
    switch (seg.kind) {
      case SegKind::Literal: s += seg.text; break;
      case SegKind::Field: {
        if (seg.field.isEmpty()) {  // not naming the report's data set: plain text
          s += seg.text;
          break;
        }
        const int slot = FieldSlot(seg.field);
        if (ctx.values && slot >= 0 && static_cast<size_t>(slot) < ctx.values->size()) s += (*ctx.values)[slot];
        break;
      }
      case SegKind::Page: s += QString::number(pageNo_); break;
      case SegKind::TotalPages: s += QChar(kTotalPagesMark); break;
      case SegKind::Date: s += date_; break;
      case SegKind::Time: s += time_; break;
      case SegKind::Line: s += QString::number(lineNo_); break;
      case SegKind::Count: s += FormatNumber(static_cast<double>(ctx.acc ? ctx.acc->count : 0)); break;
      case SegKind::Sum:
      case SegKind::Min:
      case SegKind::Max:
      case SegKind::Avg: {
        if (!ctx.acc) break;
        const auto a = static_cast<size_t>(aggIndex_.value(FieldSlot(seg.field)));
        if (ctx.acc->n.size() <= a) break;
        if (seg.kind == SegKind::Sum) s += FormatNumber(ctx.acc->sum[a]);
        else if (ctx.acc->n[a] == 0) break;  // nothing to show
        else if (seg.kind == SegKind::Min) s += FormatNumber(ctx.acc->min[a]);
        else if (seg.kind == SegKind::Max) s += FormatNumber(ctx.acc->max[a]);
        else s += FormatNumber(ctx.acc->sum[a] / static_cast<double>(ctx.acc->n[a]));
        break;
      }
    }
  }
  return s;
}

uint16_t Preparer::FontOf(const ObjDef& o) {
  if (const auto it = objectFont_.find(&o); it != objectFont_.end()) return it->second;
  const uint16_t index = FontIndex(o.font);
  objectFont_.emplace(&o, index);
  return index;
}

uint16_t Preparer::FontIndex(const FontDef& f) {
  RunFont rf{f.family, static_cast<float>(f.size), f.bold, f.italic, f.underline};
  // Looked up by a key, not by a scan: a template may have thousands of fonts.
  const QString key = QStringLiteral("%1|%2|%3%4%5")
                          .arg(rf.family)
                          .arg(static_cast<double>(rf.size), 0, 'g', 9)  // every float apart
                          .arg(rf.bold ? u'b' : u'-')
                          .arg(rf.italic ? u'i' : u'-')
                          .arg(rf.underline ? u'u' : u'-');
  if (const auto it = fontIndex_.find(key); it != fontIndex_.end()) return it->second;
  fontIndex_.emplace(key, static_cast<uint16_t>(out_.fonts.size()));
  out_.fonts.push_back(rf);
  FontCache c;
  c.font = rf;
  c.qfont = LayoutFont(rf);
  c.metrics = std::make_unique<QFontMetricsF>(c.qfont);
  c.advances.fill(-1);
  fonts_.push_back(std::move(c));
  return static_cast<uint16_t>(out_.fonts.size() - 1);
}

double Preparer::Width(uint16_t font, const QString& text) {
  FontCache& fc = fonts_[font];
  if (const auto it = fc.widths.find(text); it != fc.widths.end()) return it->second;
  const double w = fc.metrics->horizontalAdvance(text);
  if (fc.widths.size() < 20000) fc.widths.emplace(text, w);
  return w;
}

bool Preparer::SurelyFits(uint16_t font, const QString& text, double widthUnits) {
  // Letters one at a time, without kerning (the layout fonts take no shaping), give a
  // bound of the run's width that costs no text layout.
  FontCache& fc = fonts_[font];
  double sum = 0;
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u >= fc.advances.size()) return false;
    float& a = fc.advances[u];
    if (a < 0) a = static_cast<float>(fc.metrics->horizontalAdvance(c));
    sum += a;
  }
  // A margin for rounding: a run that close to the edge is measured.
  return sum * 1.001 + 1 < widthUnits;
}

void Preparer::Break(const QString& text, uint16_t font, double widthUnits, bool wrap, std::vector<Line>& lines) {
  const FontCache& fc = fonts_[font];
  lines.clear();
  const bool plain = !text.contains(u'\n') && !text.contains(u'\r');
  if (plain) {
    // A single line needs no width unless it might wrap, and none when its letters'
    // advances added up surely fit.
    const double w = wrap && !SurelyFits(font, text, widthUnits) ? Width(font, text) : 0;
    if (!wrap || w <= widthUnits) {
      Line l;
      l.length = static_cast<int>(text.size());
      l.width = w;
      l.height = fc.metrics->ascent() + fc.metrics->descent();
      l.ascent = fc.metrics->ascent();
      lines.push_back(l);
      return;
    }
  }
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(u'\r', u'\n');
  t.replace(u'\n', QChar::LineSeparator);
  QTextLayout layout(t, fc.qfont);
  QTextOption option;
  option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  double y = 0;
  for (QTextLine tl = layout.createLine(); tl.isValid(); tl = layout.createLine()) {
    tl.setLineWidth(widthUnits);
    Line l;
    l.start = tl.textStart();
    l.length = tl.textLength();
    l.width = tl.naturalTextWidth();
    l.y = y;
    l.height = tl.ascent() + tl.descent();
    l.ascent = tl.ascent();
    const int end = l.start + l.length;
    l.lastOfParagraph = end >= t.size() || t[end - 1] == QChar::LineSeparator;
    y += l.height;
    lines.push_back(l);
  }
  layout.endLayout();
}

Preparer::LaidBand Preparer::Layout(const BandDef& band, const Ctx& ctx, double width, int row) {
  LaidBand lb;
  lb.height = band.height;
  lb.items.reserve(band.objects.size() + 2);
  const size_t n = band.objects.size();
  // Scratch kept between rows, so a row costs no allocations of its own.
  std::vector<double>& growth = growth_;
  std::vector<std::vector<Line>>& lines = lines_;
  std::vector<QString>& texts = texts_;
  std::vector<char>& hidden = hidden_;
  std::vector<uint16_t>& fontOf = fontOf_;
  std::vector<double>& shift = shift_;
  growth.assign(n, 0);
  if (lines.size() < n) lines.resize(n);
  for (size_t i = 0; i < n; ++i) lines[i].clear();
  texts.resize(n);
  hidden.assign(n, 0);
  fontOf.assign(n, 0);
  for (size_t i = 0; i < n; ++i) {
    const ObjDef& o = band.objects[i];
    if (o.kind != ObjKind::Text) continue;
    texts[i] = Eval(o.text, ctx);
    if (o.hideEmpty && texts[i].trimmed().isEmpty()) {
      hidden[i] = 1;
      continue;
    }
    fontOf[i] = FontOf(o);
    const bool turned = o.rotation == 90 || o.rotation == 270;
    const double inner = std::max(0.0, (turned ? o.height : o.width) - 2 * kPad) / kMmPerUnit;
    Break(texts[i], fontOf[i], inner, o.wordWrap, lines[i]);
    if (o.stretch && !turned && !lines[i].empty()) {
      const double need = (lines[i].back().y + lines[i].back().height) * kMmPerUnit;
      growth[i] = std::max(0.0, need - o.height);
    }
  }
  // Objects below a stretched one move down with it, by the most any stretched object
  // above them grew. The grown ones ordered by their bottom edge give that for each object
  // by a binary search, so a band of many objects costs n log n, not n squared.
  shift.assign(n, 0);
  grown_.clear();
  for (size_t i = 0; i < n; ++i)
    if (growth[i] > 0) grown_.push_back({band.objects[i].top + band.objects[i].height - kEps, growth[i], i});
  if (!grown_.empty()) {
    std::sort(grown_.begin(), grown_.end(), [](const Grown& a, const Grown& b) { return a.key < b.key; });
    // Over each prefix: the largest growth, its object, and the largest of any other
    // object (an object never moves for its own growth).
    best_.resize(grown_.size());
    second_.resize(grown_.size());
    std::pair<double, size_t> best{0, n};
    double second = 0;
    for (size_t k = 0; k < grown_.size(); ++k) {
      if (grown_[k].growth > best.first) {
        second = best.first;
        best = {grown_[k].growth, grown_[k].index};
      } else {
        second = std::max(second, grown_[k].growth);
      }
      best_[k] = best;
      second_[k] = second;
    }
    for (size_t j = 0; j < n; ++j) {
      const double top = band.objects[j].top;
      const auto above = std::upper_bound(grown_.begin(), grown_.end(), top,
                                          [](double t, const Grown& g) { return t < g.key; });
      if (above == grown_.begin()) continue;
      const size_t k = static_cast<size_t>(above - grown_.begin()) - 1;
      shift[j] = best_[k].second != j ? best_[k].first : second_[k];
    }
  }

  if (data_ == &band) {
    const QColor fill = (row % 2 == 0) ? band.evenFill : band.oddFill;
    if (fill.isValid()) {
      PreparedItem r;
      r.kind = ItemKind::Rect;
      r.w = static_cast<float>(width);
      r.h = static_cast<float>(band.height);
      r.fill = fill.rgba();
      lb.items.push_back(r);  // height fixed below
    }
  }
  const size_t fillItem = lb.items.size();

  for (size_t i = 0; i < n; ++i) {
    const ObjDef& o = band.objects[i];
    if (hidden[i]) continue;
    const double top = o.top + shift[i];
    const double h = o.height + growth[i];
    lb.height = std::max(lb.height, (band.stretch || growth[i] > 0 || shift[i] > 0) ? top + h : 0.0);
    if (o.kind == ObjKind::Line) {
      PreparedItem it;
      it.kind = ItemKind::Line;
      it.x = static_cast<float>(o.left);
      it.y = static_cast<float>(top);
      it.w = static_cast<float>(o.width);
      it.h = static_cast<float>(o.height);
      it.lineWidth = static_cast<float>(o.lineWidth);
      it.color = o.color.rgba();
      lb.items.push_back(it);
      continue;
    }
    if (o.kind == ObjKind::Image) {
      if (o.image.isNull() || o.width <= 0 || o.height <= 0) continue;
      // Kept aspect ratio, centred in the object's box.
      const double ar = static_cast<double>(o.image.width()) / o.image.height();
      double w = o.width, ih = o.width / ar;
      if (ih > h) { ih = h; w = h * ar; }
      PreparedItem it;
      it.kind = ItemKind::Image;
      it.x = static_cast<float>(o.left + (o.width - w) / 2);
      it.y = static_cast<float>(top + (h - ih) / 2);
      it.w = static_cast<float>(w);
      it.h = static_cast<float>(ih);
      // Each object's picture is kept once, however often it is placed.
      auto [slot, added] = objectImage_.try_emplace(&o, static_cast<uint32_t>(out_.images.size()));
      if (added) out_.images.push_back(o.image);
      it.image = slot->second;
      lb.items.push_back(it);
      continue;
    }
    if (o.fill.isValid() || o.frame != 0) {
      PreparedItem it;
      it.kind = ItemKind::Rect;
      it.x = static_cast<float>(o.left);
      it.y = static_cast<float>(top);
      it.w = static_cast<float>(o.width);
      it.h = static_cast<float>(h);
      it.frame = static_cast<uint8_t>(o.frame);
      it.lineWidth = static_cast<float>(o.frameWidth);
      it.color = o.frameColor.rgba();
      it.fill = o.fill.isValid() ? o.fill.rgba() : 0;
      it.radius = static_cast<float>(o.radius);
      lb.items.push_back(it);
    }
    if (o.kind != ObjKind::Text) continue;
    const std::vector<Line>& ls = lines[i];
    if (ls.empty()) continue;
    // A turned text runs along the object's height, its lines stacked across the width.
    const int turn = o.rotation == 90 ? 1 : o.rotation == 270 ? 3 : 0;
    const double across = turn ? o.width : h;
    const double textH = (ls.back().y + ls.back().height) * kMmPerUnit;
    double dy = 0;
    if (o.valign == VAlign::Center) dy = (across - textH) / 2;
    else if (o.valign == VAlign::Bottom) dy = across - textH;
    QString t = texts[i];
    if (t.contains(u'\r')) {
      t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
      t.replace(u'\r', u'\n');
    }
    const double inner = std::max(0.0, (turn ? o.height : o.width) - 2 * kPad);
    for (size_t k = 0; k < ls.size(); ++k) {
      const Line& l = ls[k];
      const double ly = dy + l.y * kMmPerUnit;
      const double lh = l.height * kMmPerUnit;
      // Without stretch, lines past the object's bottom are cut off (the first stays).
      if (k > 0 && ly + lh > across + 0.01) break;
      QString run = t.mid(l.start, l.length);
      while (!run.isEmpty() && (run.back().isSpace() || run.back() == u'\n')) run.chop(1);
      if (run.isEmpty()) continue;
      PreparedItem it;
      it.kind = ItemKind::Text;
      it.font = fontOf[i];
      it.turn = static_cast<uint8_t>(turn);
      if (turn == 0) {
        it.x = static_cast<float>(o.left + kPad);
        it.y = static_cast<float>(top + ly);
        it.w = static_cast<float>(inner);
        it.h = static_cast<float>(lh);
      } else {
        it.x = static_cast<float>(turn == 1 ? o.left + ly : o.left + o.width - ly - lh);
        it.y = static_cast<float>(top + kPad);
        it.w = static_cast<float>(lh);
        it.h = static_cast<float>(inner);
      }
      it.ascent = static_cast<float>(l.ascent * kMmPerUnit);
      it.color = o.color.rgba();
      switch (o.halign) {
        case HAlign::Left: it.frame = 0; break;
        case HAlign::Center:
        case HAlign::Right:
          if (turn == 0 && run.contains(QChar(kTotalPagesMark))) {
            // Aligned in its box once the page count replaces the mark (see Run).
            it.frame = o.halign == HAlign::Center ? 1 : 2;
          } else if (turn == 0) {
            // Placed here, where widths of repeated texts are measured once, not on every
            // painting; the run's box is then the text itself.
            const double tw = Width(it.font, run) * kMmPerUnit;
            const double offset = o.halign == HAlign::Center ? (inner - tw) / 2 : inner - tw;
            it.x = static_cast<float>(o.left + kPad + offset);
            it.w = static_cast<float>(tw);
            it.frame = 0;
          } else {
            it.frame = o.halign == HAlign::Center ? 1 : 2;
          }
          break;
        case HAlign::Justify: {
          it.frame = 0;
          const auto spaces = run.count(u' ');
          if (!l.lastOfParagraph && spaces > 0)
            it.wordSpacing = static_cast<float>((inner - l.width * kMmPerUnit) / static_cast<double>(spaces));
          break;
        }
      }
      it.text = std::move(run);
      lb.items.push_back(std::move(it));
    }
  }
  if (fillItem > 0) lb.items[0].h = static_cast<float>(lb.height);
  return lb;
}

double Preparer::ColumnWidth() const {
  const int c = std::max(1, page_.columns);
  return (FullWidth() - (c - 1) * page_.columnGap) / c;
}

void Preparer::Place(LaidBand& lb, double x) {
  auto& items = out_.pages.back().items;
  for (PreparedItem& it : lb.items) {
    it.x += static_cast<float>(x);
    it.y += static_cast<float>(y_);
    items.push_back(std::move(it));
  }
  y_ += lb.height;
}

void Preparer::StartPage() {
  PreparedPage p;
  p.width = static_cast<float>(page_.width);
  p.height = static_cast<float>(page_.height);
  // Pages of one report hold about as many items each.
  if (!out_.pages.empty()) p.items.reserve(out_.pages.back().items.size() + 16);
  out_.pages.push_back(std::move(p));
  ++pageNo_;
  if (static_cast<int>(out_.pages.size()) > kMaxPages)
    Stop(QStringLiteral("sestava by měla více než %1 stran").arg(kMaxPages));
  else if (pageNo_ - rowFirstPage_ > kMaxPagesPerRow)
    Stop(QStringLiteral("pás %1 by zabral více než %2 stran; zkontrolujte jeho výšku a výšku jeho objektů")
             .arg(BandLabel(placing_))
             .arg(kMaxPagesPerRow));
  pageAcc_.Reset(aggSlots_.size());
  y_ = page_.topMargin;
  column_ = 0;
  columnsBottom_ = 0;
  bottom_ = page_.height - page_.bottomMargin - (pageFooter_ ? pageFooter_->height : 0);
  columnHeaderDue_ = true;
  dataOnPage_ = false;
  titleOnPage_ = false;
  // The row about to be placed is the page's first (on page one the report's first).
  const Ctx ctx{&reportAcc_, &cur_};
  if (pageNo_ == 1 && title_) {
    titleOnPage_ = true;
    LaidBand lb = Layout(*title_, ctx, FullWidth(), 0);
    if (y_ + lb.height > bottom_ + kEps) {
      // A title longer than the page goes on over the next ones, below their headers.
      placing_ = title_;
      dataTop_ = y_;
      PlaceSplit(lb, false);
      dataTop_ = y_;
      titleOnPage_ = true;
      return;
    }
    Place(lb, page_.leftMargin);
  }
  if (pageHeader_) {
    LaidBand lb = Layout(*pageHeader_, ctx, FullWidth(), 0);
    if (y_ + lb.height > bottom_ + kEps) {
      if (titleOnPage_) {
        // The title leaves the header no room: the data starts on the next page.
        EndPage();
        StartPage();
        return;
      }
      Stop(QStringLiteral("pás %1 je vyšší (%2 mm) než místo na stránce mezi okraji a zápatím (%3 mm)")
               .arg(BandLabel(pageHeader_), FormatNumber(lb.height), FormatNumber(bottom_ - y_)));
      return;
    }
    Place(lb, page_.leftMargin);
  }
  dataTop_ = y_;
}

void Preparer::Stop(const QString& why) {
  if (!failed_) failure_ = why;
  failed_ = true;
}

QString Preparer::BandLabel(const BandDef* band) {
  if (!band) return QString();
  return band->name.isEmpty() ? BandTypeName(band->type) : band->name;
}

void Preparer::EndPage() {
  if (pageFooter_) {
    const Ctx ctx{&pageAcc_, &prev_};
    LaidBand lb = Layout(*pageFooter_, ctx, FullWidth(), 0);
    // The page kept the footer's own height free: what would grow past it is cut off, so
    // the footer never covers the data nor runs into the margin.
    const double h = pageFooter_->height;
    if (lb.height > h + kEps || std::any_of(lb.items.begin(), lb.items.end(), [&](const PreparedItem& it) {
          return it.y + std::max(0.0f, it.h) > h + kEps;
        })) {
      std::erase_if(lb.items, [&](const PreparedItem& it) {
        return it.y >= h - kEps || (it.kind == ItemKind::Text && it.y + it.h > h + kEps) ||
               (it.kind == ItemKind::Image && it.y + it.h > h + kEps);
      });
      for (PreparedItem& it : lb.items)
        if (it.y + it.h > h) it.h = static_cast<float>(h - it.y);
      lb.height = h;
    }
    y_ = page_.height - page_.bottomMargin - lb.height;
    Place(lb, page_.leftMargin);
  }
  // A long report keeps thousands of pages: no spare capacity.
  out_.pages.back().items.shrink_to_fit();
  if (progress_ && !progress_(pageNo_)) cancelled_ = true;
}

void Preparer::ColumnHeaderIfDue() {
  if (!columnHeaderDue_) return;
  columnHeaderDue_ = false;
  if (columnHeader_) {
    LaidBand lb = Layout(*columnHeader_, Ctx{&reportAcc_, &cur_}, FullWidth(), 0);
    if (y_ + lb.height > bottom_ + kEps) {
      if (titleOnPage_) {
        // Below the title there is no room left: the columns start on the next page.
        EndPage();
        StartPage();
        ColumnHeaderIfDue();
        return;
      }
      Stop(QStringLiteral("pás %1 je vyšší (%2 mm) než místo na stránce mezi záhlavím a zápatím (%3 mm)")
               .arg(BandLabel(columnHeader_), FormatNumber(lb.height), FormatNumber(bottom_ - y_)));
      return;
    }
    Place(lb, page_.leftMargin);
  }
  dataTop_ = y_;
}

void Preparer::Ensure(double height, bool dataArea) {
  if (dataArea) ColumnHeaderIfDue();
  if (y_ + height <= bottom_ + kEps) return;
  if (dataArea && column_ + 1 < page_.columns) {
    NextColumn();
    return;
  }
  // A band taller than a whole empty page is split where it stands.
  if (!dataOnPage_ && y_ <= dataTop_ + kEps) return;
  EndPage();
  StartPage();
  if (!dataArea) return;
  ColumnHeaderIfDue();
  for (size_t level = 0; level < groupHeaders_.size(); ++level) {
    const BandDef* h = groupHeaders_[level];
    if (groupOpen_[level] && h->repeatHeader) {
      // The group's own values: the row at hand may already belong to the next group.
      LaidBand lb = Layout(*h, Ctx{&groupAcc_[level], &groupRows_[level]}, ColumnWidth(), 0);
      Place(lb, ColumnX());
    }
  }
}

void Preparer::PlaceBand(const BandDef* band, const Ctx& ctx, bool dataArea, int row, bool addRowToPage) {
  if (!band || Stopped()) return;
  placing_ = band;
  const double width = dataArea ? ColumnWidth() : FullWidth();
  LaidBand lb = Layout(*band, ctx, width, row);
  const int pageBefore = pageNo_;
  const int columnBefore = column_;
  Ensure(lb.height, dataArea);
  // Page numbers and repeated headers may change what the band shows.
  if (addRowToPage) pageAcc_.Add(aggValues_, aggOk_);
  if (pageNo_ != pageBefore || column_ != columnBefore) lb = Layout(*band, ctx, width, row);
  if (y_ + lb.height > bottom_ + kEps) PlaceSplit(lb, dataArea);
  else Place(lb, dataArea ? ColumnX() : page_.leftMargin);
  if (dataArea) dataOnPage_ = true;
}

void Preparer::KeepHeadersWithRow(size_t from, int row) {
  // Headers about to open and the row they open with go on one page: a header alone at
  // the foot of a page says nothing (and would show twice when repeated).
  if (Stopped() || (!dataOnPage_ && y_ <= dataTop_ + kEps)) return;
  double need = 0;
  for (size_t level = from; level < groupHeaders_.size(); ++level)
    need += Layout(*groupHeaders_[level], Ctx{&groupAcc_[level], &cur_}, ColumnWidth(), 0).height;
  if (data_) need += Layout(*data_, Ctx{&reportAcc_, &cur_}, ColumnWidth(), row).height;
  placing_ = groupHeaders_[from];
  Ensure(need, true);
}

void Preparer::PlaceSplit(LaidBand& lb, bool dataArea) {
  // A band taller than the room left on an empty page goes on over the following pages:
  // what fits stays, text lines and objects below the break move on, a frame or fill
  // crossing the break is cut in two.
  std::vector<PreparedItem> pending = std::move(lb.items);
  double offset = 0;  // band coordinate at the top of the current piece
  bool fresh = !dataOnPage_ && y_ <= dataTop_ + kEps;  // nothing above the piece but headers
  for (;;) {
    if (Stopped()) return;
    const double room = std::max(0.0, bottom_ - y_);
    if (fresh && room <= kEps) {
      if (pageNo_ == 1 && title_) {
        // The title took the first page; the next has no title.
        EndPage();
        StartPage();
        if (dataArea) ColumnHeaderIfDue();
        continue;
      }
      Stop(QStringLiteral("pás %1 se nevejde ani na prázdnou stránku: záhlaví a zápatí stránky na ní nenechávají "
                          "žádné místo")
               .arg(BandLabel(placing_)));
      return;
    }
    const double x = dataArea ? ColumnX() : page_.leftMargin;
    std::vector<PreparedItem> rest;
    auto& items = out_.pages.back().items;
    for (PreparedItem& it : pending) {
      const double top = it.y - offset;
      const double h = it.kind == ItemKind::Line ? std::max(0.0f, it.h) : it.h;
      const bool fits = top + h <= room + kEps || (top <= kEps && h > room);
      // A frame or fill crossing the break is cut: its tail goes on the next page.
      const bool cut = it.kind == ItemKind::Rect && top + h > room + kEps && (fits || top < room);
      if (fits || cut) {
        if (cut) {
          PreparedItem tail = it;
          tail.y = static_cast<float>(offset + room);
          tail.h = static_cast<float>(top + h - room);
          rest.push_back(tail);
          it.h = static_cast<float>(room - top);
        }
        it.x += static_cast<float>(x);
        it.y = static_cast<float>(y_ + top);
        items.push_back(std::move(it));
      } else {
        rest.push_back(std::move(it));
      }
    }
    if (rest.empty() || Stopped()) {
      y_ += std::max(0.0, lb.height - offset);
      return;
    }
    // The next piece starts at the highest item left.
    double next = rest.front().y;
    for (const PreparedItem& it : rest) next = std::min(next, static_cast<double>(it.y));
    offset = next;
    if (dataArea && column_ + 1 < page_.columns) {
      NextColumn();
    } else {
      EndPage();
      StartPage();
      if (dataArea) ColumnHeaderIfDue();
    }
    fresh = true;
    pending = std::move(rest);
  }
}

void Preparer::ReadRow() {
  for (size_t s = 0; s < sourceIndex_.size(); ++s) cur_[s] = src_.FieldText(sourceIndex_[s]);
}

void Preparer::ReadNumbers() {
  for (size_t a = 0; a < aggSlots_.size(); ++a) {
    double v = 0;
    aggOk_[a] = ReadNumber(cur_[static_cast<size_t>(aggSlots_[a])], v);
    aggValues_[a] = v;
  }
}

bool Preparer::Run(QString* error) {
  if (!Check(error)) return false;
  {
    // Bands on every page must leave room for the rest, or no page could ever be full.
    QString why;
    if (!CheckPageGeometry(page_.width, page_.height, page_.leftMargin, page_.topMargin, page_.rightMargin,
                           page_.bottomMargin, &why)) {
      if (error) *error = why;
      return false;
    }
    const double room = page_.height - page_.topMargin - page_.bottomMargin;
    double used = 0;
    QStringList names;
    for (const BandDef* b : {pageHeader_, columnHeader_, pageFooter_}) {
      if (!b) continue;
      used += b->height;
      names << QStringLiteral("%1 (%2 mm)").arg(BandLabel(b), QString::number(b->height));
    }
    const bool more = data_ || summary_ || !groupHeaders_.empty();
    if (more && used >= room - kEps) {
      if (error)
        *error = QStringLiteral("záhlaví a zápatí stránky (%1) zabírají celou výšku stránky mezi okraji (%2 mm), "
                                "pro data na ní nezbývá místo")
                     .arg(names.join(QStringLiteral(", ")), QString::number(room));
      return false;
    }
  }
  out_ = PreparedReport{};
  out_.name = report_.name;
  out_.author = report_.author;
  const QDateTime now = QDateTime::currentDateTime();
  date_ = QStringLiteral("%1. %2. %3").arg(now.date().day()).arg(now.date().month()).arg(now.date().year());
  time_ = now.time().toString(QStringLiteral("H:mm"));
  cur_.assign(sourceIndex_.size(), QString());
  prev_ = cur_;
  aggValues_.assign(aggSlots_.size(), 0);
  aggOk_.assign(aggSlots_.size(), false);
  const size_t levels = groupHeaders_.size();
  reportAcc_.Reset(aggSlots_.size());
  groupAcc_.assign(levels, Acc{});
  groupOpen_.assign(levels, false);
  groupRows_.assign(levels, {});
  std::vector<QString> groupValues(levels);

  src_.Suspend();
  src_.SaveBookmark();
  struct Restore {
    DataSource& s;
    ~Restore() {
      s.RestoreBookmark();
      s.Resume();
    }
  } restore{src_};

  // Groups that gather their rows: the rows are read first and ordered by the group
  // values, stably, so the source's order holds inside a group.
  // A group kept together needs its rows ahead as well.
  size_t sortLevels = 0;
  bool buffered = false;
  for (size_t level = 0; level < levels; ++level) {
    if (groupHeaders_[level]->sortRows) sortLevels = level + 1;
    if (groupHeaders_[level]->keepTogether) buffered = true;
  }
  buffered = buffered || sortLevels > 0;
  std::vector<std::vector<QString>> rows;
  if (buffered) {
    std::vector<std::pair<QStringList, size_t>> keys;
    for (src_.First(); !src_.Eof(); src_.Next()) {
      ReadRow();
      QStringList key;
      for (size_t level = 0; level < sortLevels; ++level) key << Eval(groupHeaders_[level]->condition, Ctx{nullptr, &cur_});
      keys.emplace_back(std::move(key), rows.size());
      rows.push_back(cur_);
    }
    std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
      for (qsizetype i = 0; i < a.first.size(); ++i)
        if (const int c = groupOrder_.compare(a.first[i], b.first[i]); c != 0) return c < 0;
      return false;
    });
    std::vector<std::vector<QString>> ordered;
    ordered.reserve(rows.size());
    for (const auto& k : keys) ordered.push_back(std::move(rows[k.second]));
    rows = std::move(ordered);
  }
  size_t next = 0;
  auto atEnd = [&] { return buffered ? next >= rows.size() : src_.Eof(); };
  auto advance = [&] {
    if (buffered) ++next;
    else src_.Next();
  };
  // The height of the group of this level starting at row `from`, header to footer,
  // with the inner groups' headers and footers.
  auto groupHeight = [&](size_t level, size_t from) {
    auto values = [&](size_t r, size_t upTo) {
      QStringList v;
      for (size_t l = 0; l <= upTo; ++l) v << Eval(groupHeaders_[l]->condition, Ctx{nullptr, &rows[r]});
      return v;
    };
    auto same = [&](const QStringList& a, const QStringList& b, size_t upTo) {
      for (size_t l = 0; l <= upTo; ++l)
        if (!SameGroupValue(a[static_cast<qsizetype>(l)], b[static_cast<qsizetype>(l)])) return false;
      return true;
    };
    const QStringList own = values(from, level);
    double height = Layout(*groupHeaders_[level], Ctx{&groupAcc_[level], &rows[from]}, ColumnWidth(), 0).height;
    QStringList inner = values(from, levels - 1);
    for (size_t r = from; r < rows.size(); ++r) {
      const QStringList v = values(r, levels - 1);
      if (!same(v, own, level)) break;
      for (size_t l = level + 1; l < levels; ++l) {
        if (r > from && !SameGroupValue(v[static_cast<qsizetype>(l)], inner[static_cast<qsizetype>(l)])) {
          for (size_t k = l; k < levels; ++k) {
            if (groupFooters_[k]) height += groupFooters_[k]->height;
            height += groupHeaders_[k]->height;
          }
          break;
        }
      }
      inner = v;
      if (data_) height += Layout(*data_, Ctx{&reportAcc_, &rows[r]}, ColumnWidth(), static_cast<int>(r)).height;
    }
    for (size_t k = level; k < levels; ++k)
      if (groupFooters_[k]) height += groupFooters_[k]->height;
    return height;
  };

  if (!buffered) src_.First();
  if (buffered && !rows.empty()) cur_ = rows.front();
  else if (!buffered && !src_.Eof()) ReadRow();
  StartPage();
  bool first = true;
  int row = 0;
  for (; !atEnd() && !Stopped(); advance()) {
    rowFirstPage_ = pageNo_;
    orvek3::platform::ClearUpperVectorState();  // Qt's text code leaves it set, row after row
    if (buffered) cur_ = rows[next];
    else ReadRow();
    ReadNumbers();
    const Ctx curCtx{&reportAcc_, &cur_};
    size_t changed = levels;
    for (size_t level = 0; level < levels; ++level) {
      const QString v = Eval(groupHeaders_[level]->condition, curCtx);
      if ((first || !SameGroupValue(v, groupValues[level])) && changed == levels) changed = level;
      groupValues[level] = v;
    }
    if (!first) {
      for (size_t level = levels; level-- > changed;) {
        PlaceBand(groupFooters_[level], Ctx{&groupAcc_[level], &prev_}, true);
        groupOpen_[level] = false;
      }
    }
    if (changed < levels) KeepHeadersWithRow(changed, row);
    for (size_t level = changed; level < levels; ++level) {
      groupAcc_[level].Reset(aggSlots_.size());
      lineNo_ = 0;
      if (groupHeaders_[level]->startNewPage && (dataOnPage_ || column_ > 0)) {
        EndPage();
        StartPage();
      } else if (groupHeaders_[level]->keepTogether && buffered && dataOnPage_) {
        // A group that would break but fits a fresh page starts on one.
        const double height = groupHeight(level, next);
        const double fresh = bottom_ - page_.topMargin - (pageHeader_ ? pageHeader_->height : 0) -
                             (columnHeader_ ? columnHeader_->height : 0);
        if (y_ + height > bottom_ + kEps && height <= fresh + kEps) {
          if (column_ + 1 < page_.columns) {
            NextColumn();
          } else {
            EndPage();
            StartPage();
          }
        }
      }
      // Open only once placed, or a page break before it would repeat it as well.
      PlaceBand(groupHeaders_[level], Ctx{&groupAcc_[level], &cur_}, true);
      groupOpen_[level] = true;
      groupRows_[level] = cur_;
    }
    reportAcc_.Add(aggValues_, aggOk_);
    for (Acc& g : groupAcc_) g.Add(aggValues_, aggOk_);
    ++lineNo_;
    if (data_) PlaceBand(data_, Ctx{&reportAcc_, &cur_}, true, row, true);
    else pageAcc_.Add(aggValues_, aggOk_);
    ++row;
    prev_ = cur_;
    first = false;
  }
  if (!failed_) rowFirstPage_ = pageNo_;
  if (!cancelled_ && !failed_) {
    if (!first)
      for (size_t level = levels; level-- > 0;) PlaceBand(groupFooters_[level], Ctx{&groupAcc_[level], &prev_}, true);
    // The summary spans every column: it starts below the lowest of them.
    y_ = std::max(y_, columnsBottom_);
    PlaceBand(summary_, Ctx{&reportAcc_, &prev_}, false);
  }
  if (failed_) {
    if (error) *error = failure_;
    out_ = PreparedReport{};
    return false;
  }
  if (cancelled_) {
    // The page begun after the last finished one stays unfinished.
    out_.pages.pop_back();
    out_.cancelled = true;
  } else {
    EndPage();
    out_.cancelled = false;
  }

  const QString total = QString::number(out_.pages.size());
  for (PreparedPage& p : out_.pages)
    for (PreparedItem& it : p.items) {
      if (it.kind != ItemKind::Text || !it.text.contains(QChar(kTotalPagesMark))) continue;
      it.text.replace(QChar(kTotalPagesMark), total);
      if (it.turn == 0 && it.frame != 0) {
        // Centred or right-aligned in its box now that the text is final.
        const double tw = Width(it.font, it.text) * kMmPerUnit;
        it.x += static_cast<float>(it.frame == 1 ? (it.w - tw) / 2 : it.w - tw);
        it.w = static_cast<float>(tw);
        it.frame = 0;
      }
    }
  return true;
}

}  // namespace

bool CheckFieldReferences(const ReportDef& report, const DataSource& source, QString* error) {
  const QStringList names = source.FieldNames();
  auto check = [&](const Expression& e, const QString& owner) {
    for (const Segment& s : e.segments) {
      if (s.dataSet.isEmpty()) continue;
      QString why;
      const bool ours = s.dataSet.compare(source.UserName(), Qt::CaseInsensitive) == 0;
      if (s.field.isEmpty()) {
        // A bracket text that only looks like a reference stays text, unless it names our data set.
        if (ours)
          why = QStringLiteral("%1: chybně zapsaný odkaz na pole ve výrazu %2; pole se zapisuje jako [%3.\"Název pole\"]")
                    .arg(owner, s.text, source.UserName());
      } else if (!ours)
        why = QStringLiteral("%1: neznámý zdroj dat „%2“ ve výrazu %3").arg(owner, s.dataSet, s.text);
      else if (!names.contains(s.field))
        why = QStringLiteral("%1: neznámé pole „%2“ ve výrazu %3").arg(owner, s.field, s.text);
      if (!why.isEmpty()) {
        if (error) *error = why;
        return false;
      }
    }
    return true;
  };
  for (const PageDef& page : report.pages) {
    for (const BandDef& b : page.bands) {
      if (!check(b.condition, QStringLiteral("pás %1").arg(b.name))) return false;
      for (const ObjDef& o : b.objects)
        if (o.kind == ObjKind::Text && !check(o.text, QStringLiteral("objekt %1").arg(o.name))) return false;
    }
  }
  return true;
}

QFont LayoutFont(const RunFont& font) {
  QFont f(font.family);
  // Ten layout units to the point at 720 dpi, so sizes in tenths of a point stay exact.
  f.setPixelSize(std::max(1, static_cast<int>(font.size * kLayoutDpi / 72.0 + 0.5)));
  f.setBold(font.bold);
  f.setItalic(font.italic);
  f.setUnderline(font.underline);
  f.setHintingPreference(QFont::PreferNoHinting);
  // No ligatures: the PDF's text must read back and be found letter for letter.
  f.setStyleStrategy(QFont::PreferNoShaping);
  return f;
}

QString PreparedReport::PageText(size_t page) const {
  QString s;
  if (page >= pages.size()) return s;
  for (const PreparedItem& it : pages[page].items) {
    if (it.kind != ItemKind::Text) continue;
    if (!s.isEmpty()) s += u'\n';
    s += it.text;
  }
  return s;
}

size_t PreparedReport::MemoryBytes() const {
  size_t bytes = sizeof(*this);
  for (const PreparedPage& p : pages) {
    bytes += sizeof(p) + p.items.capacity() * sizeof(PreparedItem);
    for (const PreparedItem& it : p.items) bytes += static_cast<size_t>(it.text.capacity()) * 2;
  }
  return bytes;
}

bool PrepareReport(const ReportDef& report, DataSource& source, PreparedReport& out, QString* error,
                   const ProgressFn& progress) {
  if (report.pages.empty()) {
    if (error) *error = QStringLiteral("šablona nemá žádnou stránku");
    return false;
  }
  Preparer p(report, source, out, progress);
  return p.Run(error);
}

}  // namespace rpt
