// Memo texts: literal text with expressions in square brackets.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace rpt {

enum class SegKind { Literal, Field, Page, TotalPages, Date, Time, Line, Count, Sum, Min, Max, Avg };

struct Segment {
  SegKind kind = SegKind::Literal;
  QString text;     // the literal, or the source text of the expression
  QString dataSet;  // field and aggregates: the data set's user name
  QString field;    // field and aggregates: the field name; empty for a mistyped reference
};

struct Expression {
  QString source;
  std::vector<Segment> segments;
  bool IsConstant() const;
  bool Uses(SegKind kind) const;
};

// "[[" is a "[", a bracket text that is no expression stays as it stands.
Expression ParseExpression(const QString& source);

// A number read from a text: optional sign, digits (thousands may be set apart by a space
// or a no-break space, "1 234"), a decimal point or comma; text after the number (" min")
// is allowed. False for a text that does not start with a number.
bool ReadNumber(const QString& text, double& value);
// An aggregate result the Czech way: thousands set apart by a space, at most two decimals
// after a comma ("1 234,5"); whole numbers without decimals; never "-0".
QString FormatNumber(double value);

}  // namespace rpt
