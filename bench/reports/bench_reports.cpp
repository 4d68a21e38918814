// "Seznam filmů" over catalogues of 10,000 and 100,000 films: preparation and PDF export
// against painting the same text runs at the same positions straight onto a QPdfWriter;
// the preview's first page; the prepared report's memory per page.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>

#include <memory>

#include "../bench_catalogue.h"
#include "engine.h"
#include "platform_library.h"
#include "preview.h"
#include "render.h"

namespace {

const QString kTemplate = QStringLiteral(KALMETRA_SOURCE_DIR "/resources/sestavy/SeznamFilmu.ksr");
const char* kById = "SELECT * FROM Tabulka ORDER BY Id";

// The catalogue record set, opened and read whole as the grid has it.
struct Catalogue {
  orvek3::TOrvek3Database db;
  std::unique_ptr<orvek3::TOrvek3Query> query;
  rpt::TRptDataset source;
  explicit Catalogue(int n) {
    db.SetDriver(kalmetra_bench::DriverPath());
    db.SetDatabaseFile(kalmetra_bench::CatalogueFile(n));
    db.Connect();
    query = std::make_unique<orvek3::TOrvek3Query>(&db);
    query->SetSQL(kById);
    query->OpenSQL();
    query->Last();
    query->First();
    source.SetDataSet(query.get());
  }
};

QString PdfPath(const char* name) { return QDir::temp().filePath(QStringLiteral("kalmetra-bench-%1-%2.pdf").arg(name).arg(getpid())); }

void BM_PrepareAndExportPdf(benchmark::State& state) {
  Catalogue c(static_cast<int>(state.range(0)));
  rpt::TRptReport report;
  report.LoadFromFile(kTemplate);
  report.DataSet = &c.source;
  rpt::TRptPDFExport pdf;
  pdf.ShowProgress = false;
  for (auto _ : state) {
    report.PrepareReport();
    pdf.Export(report, PdfPath("engine"));
  }
  state.counters["pages"] = static_cast<double>(report.Prepared().pages.size());
  state.counters["bytes_per_page"] =
      static_cast<double>(report.Prepared().MemoryBytes()) / static_cast<double>(report.Prepared().pages.size());
}

void BM_PrepareOnly(benchmark::State& state) {
  Catalogue c(static_cast<int>(state.range(0)));
  rpt::TRptReport report;
  report.LoadFromFile(kTemplate);
  report.DataSet = &c.source;
  for (auto _ : state) report.PrepareReport();
  state.counters["pages"] = static_cast<double>(report.Prepared().pages.size());
}

// The same text runs, fonts and positions painted without the engine.
void BM_PlainPdfPainting(benchmark::State& state) {
  Catalogue c(static_cast<int>(state.range(0)));
  rpt::TRptReport report;
  report.LoadFromFile(kTemplate);
  report.DataSet = &c.source;
  report.PrepareReport();
  const rpt::PreparedReport& r = report.Prepared();
  std::vector<QFont> fonts;
  for (const rpt::RunFont& f : r.fonts) fonts.push_back(rpt::LayoutFont(f));
  constexpr double kUnitsPerMm = rpt::kLayoutDpi / 25.4;
  for (auto _ : state) {
    QPdfWriter writer(PdfPath("plain"));
    writer.setResolution(1200);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF());
    QPainter p(&writer);
    p.scale(1200 / rpt::kLayoutDpi, 1200 / rpt::kLayoutDpi);
    for (size_t i = 0; i < r.pages.size(); ++i) {
      orvek3::platform::ClearUpperVectorState();  // as the engine does for each page
      if (i > 0) writer.newPage();
      int font = -1;
      for (const rpt::PreparedItem& it : r.pages[i].items) {
        if (it.kind != rpt::ItemKind::Text) continue;
        if (font != it.font) p.setFont(fonts[it.font]);
        font = it.font;
        p.drawText(QPointF(it.x * kUnitsPerMm, (it.y + it.ascent) * kUnitsPerMm), it.text);
      }
    }
  }
  state.counters["pages"] = static_cast<double>(r.pages.size());
}

// From the preview command to its first page painted (preparation included).
void BM_PreviewFirstPage(benchmark::State& state) {
  Catalogue c(static_cast<int>(state.range(0)));
  rpt::TRptReport report;
  report.LoadFromFile(kTemplate);
  report.DataSet = &c.source;
  for (auto _ : state) {
    report.PrepareReport();
    rpt::TRptPreview preview(report.MakePreviewHost());
    preview.show();
    QImage shot = preview.PageView()->grab().toImage();
    benchmark::DoNotOptimize(shot.bits());
  }
}

BENCHMARK(BM_PrepareAndExportPdf)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PlainPdfPainting)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PrepareOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PreviewFirstPage)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  QFile::remove(PdfPath("engine"));
  QFile::remove(PdfPath("plain"));
  return 0;
}
