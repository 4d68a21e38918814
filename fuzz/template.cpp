// Report templates over fuzzed bytes: read, written back and read again to the same
// document, compiled, and prepared over a few films.
#include <prepare.h>
#include <template.h>

#include <cstdlib>

#include "FuzzSupport.h"

namespace {

rpt::MemorySource& Films() {
  static rpt::MemorySource* films = [] {
    auto* s = new rpt::MemorySource(QStringLiteral("RptDataset1"),
                                    {"Id", "Titul", "Rok", "Stopaz", "Zanr", "Puvod", "Rezie", "Obsazeni", "Koment", "Umisteni"});
    s->AddRow({"1", "Obecná škola", "1991", "100", "Komedie", "ČR", "Jan Svěrák", "Jan Tříska, Libuše Šafránková",
               "Žluťoučký kůň úpěl ďábelské ódy", "/filmy/Obecná škola.mkv"});
    s->AddRow({"2", "Kolja", "1996", "105", "Drama", "ČR", "Jan Svěrák", "Zdeněk Svěrák", "", ""});
    s->AddRow({"3", "Pelíšky", "1999", "", "Komedie", "ČR", "Jan Hřebejk", "", "[nejde o výraz]", ""});
    s->AddRow({"4", "Marketa Lazarová", "1967", "165 min", "Drama", "ČSSR", "František Vláčil", "", "", ""});
    return s;
  }();
  return *films;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kalmetra::fuzz::StartQt();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  rpt::XmlNode root;
  QString error;
  if (!rpt::ReadTemplateXml(bytes, root, &error)) {
    if (error.isEmpty()) std::abort();  // a refused template always says why
    return 0;
  }
  // The program's own form reads back to a tree that is written the same again.
  const QByteArray written = rpt::WriteTemplateXml(root);
  rpt::XmlNode again;
  QString againError;
  if (!rpt::ReadTemplateXml(written, again, &againError)) std::abort();
  if (rpt::WriteTemplateXml(again) != written) std::abort();

  rpt::ReportDef report;
  if (!rpt::CompileTemplate(root, report, &error)) return 0;
  rpt::PreparedReport out;
  // A few pages reach every band; a template that asks for more is cut short here.
  (void)rpt::PrepareReport(report, Films(), out, &error, [](int pages) { return pages < 8; });
  return 0;
}
