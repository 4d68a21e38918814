// Memo expressions over fuzzed text: parsed, their numbers read and formatted, and
// evaluated in a data band, a page footer and a summary over three rows.
#include <expression.h>
#include <prepare.h>
#include <template.h>

#include <cmath>
#include <cstdlib>

#include "FuzzSupport.h"

namespace {

rpt::MemorySource& Films() {
  static rpt::MemorySource* films = [] {
    auto* s = new rpt::MemorySource(QStringLiteral("RptDataset1"),
                                    {"Id", "Titul", "Rok", "Stopaz", "Zanr", "Puvod", "Rezie", "Obsazeni", "Koment", "Umisteni"});
    s->AddRow({"1", "Obecná škola", "1991", "100 min", "Komedie", "ČR", "Jan Svěrák", "Jan Tříska", "", "/filmy/1.mkv"});
    s->AddRow({"2", "Kolja", "1996", "105", "Drama", "ČR", "Jan Svěrák", "Zdeněk Svěrák", "Oscar", ""});
    s->AddRow({"3", "Pelíšky", "", "-1,5e3", "Komedie", "", "", "", "[x]", ""});
    return s;
  }();
  return *films;
}

rpt::ObjDef TextObject(const rpt::Expression& text, double top) {
  rpt::ObjDef o;
  o.kind = rpt::ObjKind::Text;
  o.name = QStringLiteral("Text1");
  o.top = top;
  o.width = 90;
  o.height = 5;
  o.wordWrap = true;
  o.stretch = true;
  o.text = text;
  return o;
}

rpt::BandDef Band(rpt::BandType type, const rpt::Expression& text) {
  rpt::BandDef b;
  b.type = type;
  b.name = rpt::BandTypeName(type) + QStringLiteral("1");
  b.height = 6;
  b.stretch = true;
  b.objects.push_back(TextObject(text, 0));
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kalmetra::fuzz::StartQt();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString source = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const rpt::Expression e = rpt::ParseExpression(source);
  (void)e.IsConstant();
  for (const rpt::Segment& s : e.segments) (void)e.Uses(s.kind);
  double value = 0;
  if (rpt::ReadNumber(source, value)) {
    const QString text = rpt::FormatNumber(value);
    double again = 0;
    // What FormatNumber writes is a number again.
    if (std::isfinite(value) && !rpt::ReadNumber(text, again)) std::abort();
  }

  rpt::ReportDef report;
  report.name = QStringLiteral("Fuzz");
  rpt::PageDef page;
  page.bands.push_back(Band(rpt::BandType::MasterData, e));
  page.bands.push_back(Band(rpt::BandType::PageFooter, e));
  page.bands.push_back(Band(rpt::BandType::ReportSummary, e));
  report.pages.push_back(page);
  rpt::PreparedReport out;
  QString error;
  // A few pages show every kind of value; a text that fills more is cut short here.
  (void)rpt::PrepareReport(report, Films(), out, &error, [](int pages) { return pages < 8; });
  return 0;
}
