// The designer's canvas on "Seznam filmů": one mouse move of a selected object and the
// repaint that follows it (the canvas grabbed whole), offscreen. Each move is an undo step
// and lays the objects out again, as the user's drag does.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPixmap>

#include "designer_canvas.h"
#include "designer_doc.h"

namespace {

const QString kTemplate = QStringLiteral(KALMETRA_SOURCE_DIR "/resources/sestavy/SeznamFilmu.ksr");

void Mouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
  QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, {});
  QApplication::sendEvent(w, &e);
}

void BM_MoveObjectAndRepaint(benchmark::State& state) {
  QFile file(kTemplate);
  if (!file.open(QIODevice::ReadOnly)) {
    state.SkipWithError("template not found");
    return;
  }
  rpt::DesignerDoc doc;
  QString error;
  if (!doc.Load(file.readAll(), &error)) {
    state.SkipWithError(error.toStdString().c_str());
    return;
  }
  int data = -1;
  for (int b = 0; b < doc.BandCount() && data < 0; ++b)
    if (doc.Band(b).Attr(QStringLiteral("Type")) == QLatin1String("MasterData")) data = b;
  if (data < 0 || doc.Band(data).children.empty()) {
    state.SkipWithError("no data band with objects");
    return;
  }
  rpt::DesignCanvas canvas(doc);
  canvas.resize(canvas.sizeHint());
  const rpt::ObjRef object{data, 0};
  doc.Select({object});
  canvas.grab();  // fonts and the first layout, as the window has them on opening
  int direction = 1;
  for (auto _ : state) {
    const QPointF from = canvas.ObjectPx(object).center();
    const QPointF to = from + QPointF(direction * 3 * canvas.Scale(), 0);
    Mouse(&canvas, QEvent::MouseButtonPress, from, Qt::LeftButton);
    Mouse(&canvas, QEvent::MouseMove, to, Qt::LeftButton);
    Mouse(&canvas, QEvent::MouseButtonRelease, to, Qt::NoButton);
    const QPixmap shown = canvas.grab();
    benchmark::DoNotOptimize(shown.cacheKey());
    direction = -direction;
  }
  state.counters["undo_steps"] = static_cast<double>(doc.UndoSteps());
}
BENCHMARK(BM_MoveObjectAndRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
