#include "expression.h"

#include <QRegularExpression>

#include <cmath>

namespace rpt {

namespace {

// RptDataset1."Field" (the quotes may be left out for a plain name).
bool ParseFieldRef(const QString& text, Segment& seg) {
  static const QRegularExpression re(QStringLiteral(R"re(^\s*([A-Za-z_][A-Za-z0-9_]*)\."([^"]+)"\s*$)re"));
  static const QRegularExpression plain(QStringLiteral(R"re(^\s*([A-Za-z_][A-Za-z0-9_]*)\.([A-Za-z_][A-Za-z0-9_]*)\s*$)re"));
  auto m = re.match(text);
  if (!m.hasMatch()) m = plain.match(text);
  if (!m.hasMatch()) return false;
  seg.dataSet = m.captured(1);
  seg.field = m.captured(2);
  return true;
}

bool ParseInner(const QString& inner, Segment& seg) {
  const QString t = inner.trimmed();
  if (t == QLatin1String("Page#")) { seg.kind = SegKind::Page; return true; }
  if (t == QLatin1String("TotalPages#")) { seg.kind = SegKind::TotalPages; return true; }
  if (t == QLatin1String("Date")) { seg.kind = SegKind::Date; return true; }
  if (t == QLatin1String("Time")) { seg.kind = SegKind::Time; return true; }
  if (t == QLatin1String("Line#")) { seg.kind = SegKind::Line; return true; }
  if (t.compare(QLatin1String("COUNT"), Qt::CaseInsensitive) == 0) { seg.kind = SegKind::Count; return true; }
  static const QRegularExpression agg(QStringLiteral(R"re(^(SUM|MIN|MAX|AVG)\s*\((.*)\)$)re"),
                                      QRegularExpression::CaseInsensitiveOption);
  if (auto m = agg.match(t); m.hasMatch()) {
    QString arg = m.captured(2).trimmed();
    if (arg.startsWith(u'[') && arg.endsWith(u']')) arg = arg.mid(1, arg.size() - 2);
    if (!ParseFieldRef(arg, seg)) return false;
    const QString f = m.captured(1).toUpper();
    seg.kind = f == QLatin1String("SUM") ? SegKind::Sum
               : f == QLatin1String("MIN") ? SegKind::Min
               : f == QLatin1String("MAX") ? SegKind::Max
                                           : SegKind::Avg;
    return true;
  }
  if (ParseFieldRef(t, seg)) { seg.kind = SegKind::Field; return true; }
  return false;
}

void AppendLiteral(std::vector<Segment>& out, const QString& text) {
  if (text.isEmpty()) return;
  if (!out.empty() && out.back().kind == SegKind::Literal) {
    out.back().text += text;
  } else {
    out.push_back(Segment{SegKind::Literal, text, {}, {}});
  }
}

}  // namespace

bool Expression::IsConstant() const {
  for (const Segment& s : segments)
    if (s.kind != SegKind::Literal) return false;
  return true;
}

bool Expression::Uses(SegKind kind) const {
  for (const Segment& s : segments)
    if (s.kind == kind) return true;
  return false;
}

Expression ParseExpression(const QString& source) {
  Expression e;
  e.source = source;
  const qsizetype n = source.size();
  QString literal;
  qsizetype i = 0;
  while (i < n) {
    const QChar c = source[i];
    if (c != u'[') {
      literal += c;
      ++i;
      continue;
    }
    if (i + 1 < n && source[i + 1] == u'[') {
      literal += u'[';
      i += 2;
      continue;
    }
    // The matching bracket; aggregates may hold a bracketed field.
    int depth = 0;
    qsizetype j = i;
    for (; j < n; ++j) {
      if (source[j] == u'[') ++depth;
      else if (source[j] == u']' && --depth == 0) break;
    }
    if (j >= n) {  // never closed: the rest is text
      literal += source.mid(i);
      break;
    }
    Segment seg;
    seg.text = source.mid(i, j - i + 1);
    if (ParseInner(source.mid(i + 1, j - i - 1), seg)) {
      AppendLiteral(e.segments, literal);
      literal.clear();
      e.segments.push_back(seg);
    } else {
      literal += seg.text;
    }
    i = j + 1;
  }
  AppendLiteral(e.segments, literal);
  return e;
}

bool ReadNumber(const QString& text, double& value) {
  static const QRegularExpression re(QStringLiteral(R"re(^\s*([+-]?\d+(?:[.,]\d+)?))re"));
  const auto m = re.match(text);
  if (!m.hasMatch()) return false;
  QString digits = m.captured(1);
  digits.replace(u',', u'.');
  bool ok = false;
  value = digits.toDouble(&ok);
  return ok;
}

QString FormatNumber(double value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
    return QString::number(static_cast<long long>(value));
  QString s = QString::number(value, 'f', 2);
  while (s.endsWith(u'0')) s.chop(1);
  if (s.endsWith(u'.')) s.chop(1);
  s.replace(u'.', u',');
  return s;
}

}  // namespace rpt
