#include "prepare.h"

#include "page_flow.h"
#include "platform_library.h"

#include <QCollator>
#include <QDate>
#include <QHash>
#include <QTime>

#include <algorithm>
#include <limits>

namespace rpt {

namespace {

// Running totals of a scope: the report, a page, a group.
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

// Walks the rows (read ahead and ordered when groups gather or keep together), keeps the
// totals and the groups, and hands the bands to the page flow.
class RowWalk : public PageEvents {
 public:
  RowWalk(const ReportDef& report, DataSource& source, PreparedReport& out, const ProgressFn& progress)
      : report_(report),
        page_(report.pages.front()),
        src_(source),
        out_(out),
        progress_(progress),
        measure_(out.fonts),
        layout_(measure_, out.images) {
    groupOrder_.setCaseSensitivity(Qt::CaseInsensitive);
  }

  bool Run(QString* error);

  void PageBegun() override { pageAcc_.Reset(aggSlots_.size()); }
  LaidBand LayoutHead(const BandDef& band, double width) override {
    // The row about to be placed is the page's first (on page one the report's first).
    return Lay(band, Ctx{&reportAcc_, &cur_}, width);
  }
  LaidBand LayoutFoot(const BandDef& band, double width) override { return Lay(band, Ctx{&pageAcc_, &prev_}, width); }
  void RepeatHeaders() override;

 private:
  struct Ctx {
    const Acc* acc = nullptr;
    const std::vector<QString>* values = nullptr;
  };

  bool Check(QString* error);
  bool CheckRoom(QString* error) const;
  int FieldSlot(const QString& field) const {
    const auto it = fieldSlot_.find(field);
    return it == fieldSlot_.end() ? -1 : it->second;
  }
  QString Eval(const Expression& e, const Ctx& ctx) const;
  BandLayout::TextOf TextOf(const Ctx& ctx) const {
    return [this, ctx](const Expression& e) { return Eval(e, ctx); };
  }
  LaidBand Lay(const BandDef& band, const Ctx& ctx, double width, int row = 0) {
    return layout_.Layout(band, TextOf(ctx), width, row);
  }
  void Begin();
  // Reads every row ahead, ordered by the values of the groups that gather their rows.
  void ReadAhead(size_t sortLevels);
  bool AtEnd() const { return buffered_ ? next_ >= rows_.size() : src_.Eof(); }
  void Advance() {
    if (buffered_) ++next_;
    else src_.Next();
  }
  void ReadRow();
  void ReadNumbers();
  // The first level whose group value changes with the current row (levels when none).
  size_t ChangedLevel(bool first);
  void CloseGroups(size_t from);
  void OpenGroups(size_t from, int row);
  void KeepHeadersWithRow(size_t fromLevel, int row);
  // The height of the group of this level starting at read-ahead row `from`, header to
  // footer, with the inner groups' headers and footers.
  double GroupHeight(size_t level, size_t from);
  QStringList GroupValues(size_t row, size_t upTo) const;
  // Texts with the page count are given it, and aligned once they are final.
  void FinishPageCounts();
  // Group values compare as the rows are ordered: letter case ignored.
  bool SameGroupValue(const QString& a, const QString& b) const { return a == b || groupOrder_.compare(a, b) == 0; }

  const ReportDef& report_;
  const PageDef& page_;
  DataSource& src_;
  PreparedReport& out_;
  const ProgressFn& progress_;
  TextMeasure measure_;
  BandLayout layout_;
  PageBands bands_;
  std::unique_ptr<PageFlow> flow_;  // made once the bands are known

  // Fields the template uses: name -> slot in the row vectors; slot -> source index.
  std::unordered_map<QString, int, TextHash> fieldSlot_;
  std::vector<int> sourceIndex_;
  std::vector<int> aggSlots_;  // slots of fields in SUM/MIN/MAX/AVG, by aggregate index
  QHash<int, int> aggIndex_;   // slot -> aggregate index
  std::vector<QString> cur_, prev_;
  std::vector<double> aggValues_;
  std::vector<bool> aggOk_;

  const BandDef* data_ = nullptr;
  const BandDef* summary_ = nullptr;
  std::vector<const BandDef*> groupHeaders_, groupFooters_;  // by level, outermost first

  QString date_, time_;
  int lineNo_ = 0;
  Acc reportAcc_, pageAcc_;
  std::vector<Acc> groupAcc_;
  std::vector<bool> groupOpen_;
  std::vector<std::vector<QString>> groupRows_;  // by level: the row that opened the group
  std::vector<QString> groupValues_;
  QCollator groupOrder_{QLocale(QLocale::Czech)};

  bool buffered_ = false;
  std::vector<std::vector<QString>> rows_;  // read ahead
  size_t next_ = 0;
};

bool RowWalk::Check(QString* error) {
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
      case BandType::ReportTitle: if (!bands_.title) bands_.title = &b; break;
      case BandType::PageHeader: if (!bands_.pageHeader) bands_.pageHeader = &b; break;
      case BandType::ColumnHeader: if (!bands_.columnHeader) bands_.columnHeader = &b; break;
      case BandType::MasterData: if (!data_) data_ = &b; break;
      case BandType::PageFooter: if (!bands_.pageFooter) bands_.pageFooter = &b; break;
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

QString RowWalk::Eval(const Expression& e, const Ctx& ctx) const {
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
      case SegKind::Page: s += QString::number(flow_ ? flow_->PageNumber() : 0); break;
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


bool RowWalk::CheckRoom(QString* error) const {
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
  for (const BandDef* b : {bands_.pageHeader, bands_.columnHeader, bands_.pageFooter}) {
    if (!b) continue;
    used += b->height;
    names << QStringLiteral("%1 (%2 mm)").arg(PageFlow::BandLabel(b), QString::number(b->height));
  }
  const bool more = data_ || summary_ || !groupHeaders_.empty();
  if (more && used >= room - kEps) {
    if (error)
      *error = QStringLiteral("záhlaví a zápatí stránky (%1) zabírají celou výšku stránky mezi okraji (%2 mm), "
                              "pro data na ní nezbývá místo")
                   .arg(names.join(QStringLiteral(", ")), QString::number(room));
    return false;
  }
  return true;
}

void RowWalk::RepeatHeaders() {
  for (size_t level = 0; level < groupHeaders_.size(); ++level) {
    const BandDef* h = groupHeaders_[level];
    if (groupOpen_[level] && h->repeatHeader) {
      // The group's own values: the row at hand may already belong to the next group.
      LaidBand lb = Lay(*h, Ctx{&groupAcc_[level], &groupRows_[level]}, flow_->ColumnWidth());
      flow_->Place(lb, flow_->ColumnX());
    }
  }
}

void RowWalk::ReadRow() {
  for (size_t s = 0; s < sourceIndex_.size(); ++s) cur_[s] = src_.FieldText(sourceIndex_[s]);
}

void RowWalk::ReadNumbers() {
  for (size_t a = 0; a < aggSlots_.size(); ++a) {
    double v = 0;
    aggOk_[a] = ReadNumber(cur_[static_cast<size_t>(aggSlots_[a])], v);
    aggValues_[a] = v;
  }
}

void RowWalk::Begin() {
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
  groupValues_.assign(levels, QString());
  flow_ = std::make_unique<PageFlow>(page_, bands_, out_, layout_, *this, progress_);
}

void RowWalk::ReadAhead(size_t sortLevels) {
  std::vector<std::pair<QStringList, size_t>> keys;
  for (src_.First(); !src_.Eof(); src_.Next()) {
    ReadRow();
    QStringList key;
    for (size_t level = 0; level < sortLevels; ++level) key << Eval(groupHeaders_[level]->condition, Ctx{nullptr, &cur_});
    keys.emplace_back(std::move(key), rows_.size());
    rows_.push_back(cur_);
  }
  // Stable, so the source's order holds inside a group.
  std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
    for (qsizetype i = 0; i < a.first.size(); ++i)
      if (const int c = groupOrder_.compare(a.first[i], b.first[i]); c != 0) return c < 0;
    return false;
  });
  std::vector<std::vector<QString>> ordered;
  ordered.reserve(rows_.size());
  for (const auto& k : keys) ordered.push_back(std::move(rows_[k.second]));
  rows_ = std::move(ordered);
}

QStringList RowWalk::GroupValues(size_t row, size_t upTo) const {
  QStringList v;
  for (size_t l = 0; l <= upTo; ++l) v << Eval(groupHeaders_[l]->condition, Ctx{nullptr, &rows_[row]});
  return v;
}

double RowWalk::GroupHeight(size_t level, size_t from) {
  const size_t levels = groupHeaders_.size();
  auto same = [&](const QStringList& a, const QStringList& b, size_t upTo) {
    for (size_t l = 0; l <= upTo; ++l)
      if (!SameGroupValue(a[static_cast<qsizetype>(l)], b[static_cast<qsizetype>(l)])) return false;
    return true;
  };
  const QStringList own = GroupValues(from, level);
  const double width = flow_->ColumnWidth();
  double height = Lay(*groupHeaders_[level], Ctx{&groupAcc_[level], &rows_[from]}, width).height;
  QStringList inner = GroupValues(from, levels - 1);
  for (size_t r = from; r < rows_.size(); ++r) {
    const QStringList v = GroupValues(r, levels - 1);
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
    if (data_) height += Lay(*data_, Ctx{&reportAcc_, &rows_[r]}, width, static_cast<int>(r)).height;
  }
  for (size_t k = level; k < levels; ++k)
    if (groupFooters_[k]) height += groupFooters_[k]->height;
  return height;
}

size_t RowWalk::ChangedLevel(bool first) {
  const size_t levels = groupHeaders_.size();
  size_t changed = levels;
  const Ctx ctx{&reportAcc_, &cur_};
  for (size_t level = 0; level < levels; ++level) {
    const QString v = Eval(groupHeaders_[level]->condition, ctx);
    if ((first || !SameGroupValue(v, groupValues_[level])) && changed == levels) changed = level;
    groupValues_[level] = v;
  }
  return changed;
}

void RowWalk::CloseGroups(size_t from) {
  for (size_t level = groupHeaders_.size(); level-- > from;) {
    flow_->PlaceBand(groupFooters_[level], TextOf(Ctx{&groupAcc_[level], &prev_}), true);
    groupOpen_[level] = false;
  }
}

void RowWalk::KeepHeadersWithRow(size_t from, int row) {
  // Headers about to open and the row they open with go on one page: a header alone at
  // the foot of a page says nothing (and would show twice when repeated).
  if (flow_->Stopped() || flow_->PageEmpty()) return;
  const double width = flow_->ColumnWidth();
  double need = 0;
  for (size_t level = from; level < groupHeaders_.size(); ++level)
    need += Lay(*groupHeaders_[level], Ctx{&groupAcc_[level], &cur_}, width).height;
  if (data_) need += Lay(*data_, Ctx{&reportAcc_, &cur_}, width, row).height;
  flow_->SetPlacing(groupHeaders_[from]);
  flow_->Ensure(need, true);
}

void RowWalk::OpenGroups(size_t from, int row) {
  const size_t levels = groupHeaders_.size();
  if (from < levels) KeepHeadersWithRow(from, row);
  for (size_t level = from; level < levels; ++level) {
    const BandDef* header = groupHeaders_[level];
    groupAcc_[level].Reset(aggSlots_.size());
    lineNo_ = 0;
    if (header->startNewPage && (flow_->DataOnPage() || flow_->Column() > 0)) {
      flow_->NewPage();
    } else if (header->keepTogether && buffered_ && flow_->DataOnPage()) {
      // A group that would break but fits a fresh page starts on one.
      const double height = GroupHeight(level, next_);
      if (height > flow_->Room() + kEps && height <= flow_->FreshRoom() + kEps) flow_->NextColumnOrPage();
    }
    // Open only once placed, or a page break before it would repeat it as well.
    flow_->PlaceBand(header, TextOf(Ctx{&groupAcc_[level], &cur_}), true);
    groupOpen_[level] = true;
    groupRows_[level] = cur_;
  }
}

void RowWalk::FinishPageCounts() {
  const QString total = QString::number(out_.pages.size());
  for (PreparedPage& p : out_.pages)
    for (PreparedItem& it : p.items) {
      if (it.kind != ItemKind::Text || !it.text.contains(QChar(kTotalPagesMark))) continue;
      it.text.replace(QChar(kTotalPagesMark), total);
      if (it.turn == 0 && it.frame != 0) {
        // Centred or right-aligned in its box now that the text is final.
        const double tw = measure_.Width(it.font, it.text) * kMmPerUnit;
        it.x += static_cast<float>(it.frame == 1 ? (it.w - tw) / 2 : it.w - tw);
        it.w = static_cast<float>(tw);
        it.frame = 0;
      }
    }
}

bool RowWalk::Run(QString* error) {
  if (!Check(error) || !CheckRoom(error)) return false;
  Begin();
  src_.Suspend();
  src_.SaveBookmark();
  struct Restore {
    DataSource& s;
    ~Restore() {
      s.RestoreBookmark();
      s.Resume();
    }
  } restore{src_};

  // Groups that gather their rows, and groups kept together, need the rows ahead.
  size_t sortLevels = 0;
  for (size_t level = 0; level < groupHeaders_.size(); ++level) {
    if (groupHeaders_[level]->sortRows) sortLevels = level + 1;
    if (groupHeaders_[level]->keepTogether) buffered_ = true;
  }
  buffered_ = buffered_ || sortLevels > 0;
  if (buffered_) ReadAhead(sortLevels);
  else src_.First();
  if (buffered_ && !rows_.empty()) cur_ = rows_.front();
  else if (!buffered_ && !src_.Eof()) ReadRow();

  PageFlow& flow = *flow_;
  flow.StartPage();
  bool first = true;
  int row = 0;
  for (; !AtEnd() && !flow.Stopped(); Advance()) {
    flow.RowStarts();
    orvek3::platform::ClearUpperVectorState();  // Qt's text code leaves it set, row after row
    if (buffered_) cur_ = rows_[next_];
    else ReadRow();
    ReadNumbers();
    const size_t changed = ChangedLevel(first);
    if (!first) CloseGroups(changed);
    OpenGroups(changed, row);
    reportAcc_.Add(aggValues_, aggOk_);
    for (Acc& g : groupAcc_) g.Add(aggValues_, aggOk_);
    ++lineNo_;
    if (data_) flow.PlaceBand(data_, TextOf(Ctx{&reportAcc_, &cur_}), true, row, [this] { pageAcc_.Add(aggValues_, aggOk_); });
    else pageAcc_.Add(aggValues_, aggOk_);
    ++row;
    prev_ = cur_;
    first = false;
  }
  if (!flow.Failed()) flow.RowStarts();
  if (!flow.Stopped()) {
    if (!first) CloseGroups(0);
    // The summary spans every column: it starts below the lowest of them.
    flow.LeaveColumns();
    flow.PlaceBand(summary_, TextOf(Ctx{&reportAcc_, &prev_}), false);
  }
  if (flow.Failed()) {
    if (error) *error = flow.Failure();
    out_ = PreparedReport{};
    return false;
  }
  if (flow.Cancelled()) {
    // The page begun after the last finished one stays unfinished.
    out_.pages.pop_back();
    out_.cancelled = true;
  } else {
    flow.EndPage();
    out_.cancelled = false;
  }
  FinishPageCounts();
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
  RowWalk walk(report, source, out, progress);
  return walk.Run(error);
}

}  // namespace rpt
