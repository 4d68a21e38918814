#include "designer_fields.h"

#include <array>
#include <utility>

#include "expression.h"

namespace rpt {

namespace {

constexpr const char* kDataSet = "RptDataset1";

struct FieldInfo {
  const char* name;
  const char16_t* caption;
  bool summed;    // a sum and an average mean something (running time)
  bool compared;  // the least and the greatest do (year, running time)
};

// The grid's column captions; the reports library cannot ask the application for them.
constexpr std::array<FieldInfo, 10> kFields{{
    {"Id", u"Id", false, false},
    {"Titul", u"Titul", false, false},
    {"Rok", u"Rok", false, true},
    {"Stopaz", u"Stopáž", true, true},
    {"Zanr", u"Žánr", false, false},
    {"Puvod", u"Původ", false, false},
    {"Rezie", u"Režie", false, false},
    {"Obsazeni", u"Obsazení", false, false},
    {"Koment", u"Komentář", false, false},
    {"Umisteni", u"Umístění", false, false},
}};

const FieldInfo* Find(const QString& field) {
  for (const FieldInfo& f : kFields)
    if (field == QLatin1String(f.name)) return &f;
  return nullptr;
}

// Aggregates and the page, date and line expressions by the names the helper offers.
QString KindCaption(SegKind kind) {
  switch (kind) {
    case SegKind::Page: return QStringLiteral("Číslo stránky");
    case SegKind::TotalPages: return QStringLiteral("Počet stránek");
    case SegKind::Date: return QStringLiteral("Datum");
    case SegKind::Time: return QStringLiteral("Čas");
    case SegKind::Line: return QStringLiteral("Číslo řádku");
    case SegKind::Count: return QStringLiteral("Počet");
    case SegKind::Sum: return QStringLiteral("Součet");
    case SegKind::Min: return QStringLiteral("Nejmenší");
    case SegKind::Max: return QStringLiteral("Největší");
    case SegKind::Avg: return QStringLiteral("Průměr");
    case SegKind::Literal:
    case SegKind::Field: break;
  }
  return {};
}

const char* KindKeyword(SegKind kind) {
  switch (kind) {
    case SegKind::Sum: return "SUM";
    case SegKind::Min: return "MIN";
    case SegKind::Max: return "MAX";
    case SegKind::Avg: return "AVG";
    default: return "";
  }
}

QString Shown(const Segment& s, const QStringList& fieldNames, const QString& source) {
  if (s.kind == SegKind::Literal) return source;
  if (s.dataSet.isEmpty()) return QStringLiteral("[%1]").arg(KindCaption(s.kind));
  const bool known = !s.field.isEmpty() && s.dataSet.compare(QLatin1String(kDataSet), Qt::CaseInsensitive) == 0 &&
                     (fieldNames.isEmpty() || fieldNames.contains(s.field));
  if (!known) return source;  // left as written, so the fault shows
  const QString caption = FieldCaption(s.field);
  return s.kind == SegKind::Field ? QStringLiteral("[%1]").arg(caption) : QStringLiteral("[%1 %2]").arg(KindCaption(s.kind), caption);
}

}  // namespace

QString FieldRef(const QString& field) { return QStringLiteral("[%1.\"%2\"]").arg(QLatin1String(kDataSet), field); }

std::vector<InsertItem> ExpressionItems(const QStringList& fieldNames) {
  std::vector<InsertItem> items;
  for (const QString& f : fieldNames) items.push_back({FieldCaption(f), FieldRef(f)});
  const std::pair<SegKind, const char*> fixed[] = {{SegKind::Page, "[Page#]"}, {SegKind::TotalPages, "[TotalPages#]"},
                                                   {SegKind::Date, "[Date]"},  {SegKind::Time, "[Time]"},
                                                   {SegKind::Line, "[Line#]"}, {SegKind::Count, "[COUNT]"}};
  for (const auto& [kind, text] : fixed) items.push_back({KindCaption(kind), QLatin1String(text)});
  for (const SegKind kind : {SegKind::Sum, SegKind::Avg, SegKind::Min, SegKind::Max})
    for (const QString& f : fieldNames)
      if (kind == SegKind::Sum || kind == SegKind::Avg ? SummedField(f) : ComparedField(f))
        items.push_back({QStringLiteral("%1 %2").arg(KindCaption(kind), FieldCaption(f)),
                         QStringLiteral("[%1(%2)]").arg(QLatin1String(KindKeyword(kind)), FieldRef(f).mid(1).chopped(1))});
  return items;
}

const QStringList& CatalogueFields() {
  static const QStringList fields = [] {
    QStringList f;
    for (const FieldInfo& info : kFields) f << QLatin1String(info.name);
    return f;
  }();
  return fields;
}

QString FieldCaption(const QString& field) {
  const FieldInfo* f = Find(field);
  return f ? QString::fromUtf16(f->caption) : field;
}

bool SummedField(const QString& field) {
  const FieldInfo* f = Find(field);
  return f && f->summed;
}

bool ComparedField(const QString& field) {
  const FieldInfo* f = Find(field);
  return f && f->compared;
}

std::vector<std::pair<qsizetype, qsizetype>> BracketSpans(const QString& text) {
  std::vector<std::pair<qsizetype, qsizetype>> spans;
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    if (text[i] != u'[') {
      ++i;
      continue;
    }
    if (i + 1 < n && text[i + 1] == u'[') {
      i += 2;
      continue;
    }
    // The matching bracket; aggregates may hold a bracketed field.
    int depth = 0;
    qsizetype j = i;
    for (; j < n; ++j) {
      if (text[j] == u'[') ++depth;
      else if (text[j] == u']' && --depth == 0) break;
    }
    if (j >= n) break;
    spans.emplace_back(i, j - i + 1);
    i = j + 1;
  }
  return spans;
}

bool UnknownFieldRef(const QString& bracket, const QStringList& fieldNames) {
  const Expression e = ParseExpression(bracket);
  for (const Segment& s : e.segments) {
    if (s.dataSet.isEmpty()) continue;
    if (s.field.isEmpty() || s.dataSet.compare(QLatin1String(kDataSet), Qt::CaseInsensitive) != 0) return true;
    if (!fieldNames.isEmpty() && !fieldNames.contains(s.field)) return true;
  }
  return false;
}

QString CanvasText(const QString& templateText, const QStringList& fieldNames) {
  QString out;
  out.reserve(templateText.size());
  qsizetype done = 0;
  for (const auto& [start, length] : BracketSpans(templateText)) {
    out += QStringView(templateText).mid(done, start - done);
    const QString source = templateText.mid(start, length);
    const Expression e = ParseExpression(source);
    out += e.segments.size() == 1 ? Shown(e.segments.front(), fieldNames, source) : source;
    done = start + length;
  }
  out += QStringView(templateText).mid(done);
  return out;
}

}  // namespace rpt
