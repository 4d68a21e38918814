// The main of a benchmark program over the program's windows.
#pragma once

#include <benchmark/benchmark.h>

#include <QtGlobal>

#include <functional>

#include "Aplikace.h"

namespace kalmetra_bench {

// Offscreen unless a display is asked for, under the program's own application object;
// the benchmarks' temporary files are removed afterwards.
inline int SpustitBenchmarky(int argc, char** argv, const std::function<void()>& uklid) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  kalmetra::TAplikace application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  uklid();
  return 0;
}

}  // namespace kalmetra_bench
