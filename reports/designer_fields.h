// The catalogue fields as the user knows them: the grid's Czech column captions, shown in
// the designer in place of the field names the template stores.
#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace rpt {

// The catalogue's fields in the grid's order.
const QStringList& CatalogueFields();
// The caption of a catalogue field ("Stopaz" -> "Stopáž"); a field the catalogue does not
// have keeps its name.
QString FieldCaption(const QString& field);
// Whether a catalogue field holds numbers worth adding up (running time), or worth
// asking for the least and the greatest (year, running time).
bool SummedField(const QString& field);
bool ComparedField(const QString& field);
// The template text that refers to a field: [RptDataset1."Stopaz"].
QString FieldRef(const QString& field);

// What the expression helper offers: a Czech caption and the template text it inserts.
struct InsertItem {
  QString caption;
  QString text;
};
// The fields by their captions, then the page, date, line and count expressions, then
// sums, averages and extremes of the numeric fields.
std::vector<InsertItem> ExpressionItems(const QStringList& fieldNames);

// Where the bracket expressions of a text stand: start and length of each "[...]", an
// escaped "[[" and an unclosed bracket left out, as the expression reader reads them.
std::vector<std::pair<qsizetype, qsizetype>> BracketSpans(const QString& text);
// Whether one bracket expression refers to a field the data set lacks (any field when
// fieldNames is empty), to another data set, or is a mistyped reference.
bool UnknownFieldRef(const QString& bracket, const QStringList& fieldNames);

// A template text as the canvas shows it: a reference to a known field by its caption,
// "[Titul]" for [RptDataset1."Titul"], "[Součet Stopáž]" for an aggregate of one, and the
// other expressions by the helper's names ("[Číslo stránky]"). Everything else, a
// reference to a field the data set lacks above all, stays as written. With no field
// names there is nothing to check against and every reference shows its caption.
QString CanvasText(const QString& templateText, const QStringList& fieldNames);

}  // namespace rpt
