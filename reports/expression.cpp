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

// A name and a dot, as a field reference begins: a bracket text like that which is no
// field reference is a mistyped one (a field without its data set's name is left empty).
bool MistypedFieldRef(const QString& text, Segment& seg) {
  static const QRegularExpression re(QStringLiteral(R"re(^\s*([A-Za-z_][A-Za-z0-9_]*)\s*\.)re"));
  const auto m = re.match(text);
  if (!m.hasMatch()) return false;
  seg.kind = SegKind::Field;
  seg.dataSet = m.captured(1);
  seg.field.clear();
  return true;
}

bool ParseInner(const QString& inner, Segment& seg) {
  const QString t = inner.trimmed();
  // Keywords are one rule: letter case ignored.
  auto is = [&](const char* keyword) { return t.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0; };
  if (is("Page#")) { seg.kind = SegKind::Page; return true; }
  if (is("TotalPages#")) { seg.kind = SegKind::TotalPages; return true; }
  if (is("Date")) { seg.kind = SegKind::Date; return true; }
  if (is("Time")) { seg.kind = SegKind::Time; return true; }
  if (is("Line#")) { seg.kind = SegKind::Line; return true; }
  if (is("COUNT")) { seg.kind = SegKind::Count; return true; }
  static const QRegularExpression agg(QStringLiteral(R"re(^(SUM|MIN|MAX|AVG)\s*\((.*)\)$)re"),
                                      QRegularExpression::CaseInsensitiveOption);
  if (auto m = agg.match(t); m.hasMatch()) {
    QString arg = m.captured(2).trimmed();
    if (arg.startsWith(u'[') && arg.endsWith(u']')) arg = arg.mid(1, arg.size() - 2);
    if (!ParseFieldRef(arg, seg)) return MistypedFieldRef(arg, seg);
    const QString f = m.captured(1).toUpper();
    seg.kind = f == QLatin1String("SUM") ? SegKind::Sum
               : f == QLatin1String("MIN") ? SegKind::Min
               : f == QLatin1String("MAX") ? SegKind::Max
                                           : SegKind::Avg;
    return true;
  }
  if (ParseFieldRef(t, seg)) { seg.kind = SegKind::Field; return true; }
  return MistypedFieldRef(t, seg);
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
  // Read by hand: it runs for every row and aggregated field, so it allocates nothing.
  const qsizetype n = text.size();
  auto digit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
  // A thousands separator: space, no-break space or narrow no-break space.
  auto separator = [&](qsizetype k) {
    return k < n && (text[k] == u' ' || text[k] == QChar(0x00A0) || text[k] == QChar(0x202F));
  };
  qsizetype i = 0;
  while (i < n && text[i].isSpace()) ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-' || text[i] == QChar(0x2212))) {
    negative = text[i] != u'+';
    ++i;
  }
  if (!digit(i)) return false;
  unsigned long long mantissa = 0;
  int digits = 0, decimals = 0;
  bool exact = true;  // the digits fit the mantissa
  auto take = [&](qsizetype k) {
    if (mantissa == 0 && text[k] == u'0') return;  // leading zeros
    if (digits >= 15) {
      exact = false;
      return;
    }
    mantissa = mantissa * 10 + static_cast<unsigned>(text[k].unicode() - u'0');
    ++digits;
  };
  QString slow;  // only for numbers longer than the mantissa holds
  const qsizetype begin = i;
  while (digit(i)) take(i++);
  // Groups of three after one to three digits: "1 234 567".
  if (i - begin <= 3) {
    while (separator(i) && digit(i + 1) && digit(i + 2) && digit(i + 3) && !digit(i + 4)) {
      take(i + 1);
      take(i + 2);
      take(i + 3);
      i += 4;
    }
  }
  const qsizetype wholeEnd = i;
  if (i < n && (text[i] == u'.' || text[i] == u',') && digit(i + 1)) {
    ++i;
    while (digit(i)) {
      if (mantissa != 0 || text[i] != u'0') {
        if (digits >= 15) exact = false;
        else {
          mantissa = mantissa * 10 + static_cast<unsigned>(text[i].unicode() - u'0');
          ++digits;
        }
      }
      if (exact) ++decimals;
      ++i;
    }
  }
  if (!exact || decimals > 22) {
    for (qsizetype k = begin; k < i; ++k) {
      if (k < wholeEnd && separator(k)) continue;
      slow += text[k] == u',' ? QChar(u'.') : text[k];
    }
    bool ok = false;
    value = slow.toDouble(&ok);
    if (!ok) return false;
  } else {
    // Both exact (below 2^53 and 10^22), so the quotient is rounded once, like a parser's.
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    value = static_cast<double>(mantissa) / kPow10[decimals];
  }
  if (negative) value = -value;
  return true;
}

QString FormatNumber(double value) {
  if (!std::isfinite(value)) return QString::number(value);
  // Two decimals at most, a decimal comma, thousands apart: "1 234,5". A value that rounds
  // to zero is "0", never "-0".
  QString s = QString::number(std::fabs(value), 'f', 2);
  while (s.endsWith(u'0')) s.chop(1);
  if (s.endsWith(u'.')) s.chop(1);
  qsizetype point = s.indexOf(u'.');
  if (point < 0) point = s.size();
  else s[point] = u',';
  for (qsizetype k = point - 3; k > 0; k -= 3) s.insert(k, u' ');
  if (value < 0 && s != QLatin1String("0")) s.prepend(u'-');
  return s;
}

}  // namespace rpt
