#pragma once
// main() of the benchmarks that draw with OpenGL: settings in Qt's test folders, the program's
// surface format, and a QApplication around the run.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStandardPaths>
#include <functional>

#include "viewer_ui/gl_view.h"

namespace lumetrix::bench {

// `beforeAppEnds` drops what must go before the application object (a GL context of its own).
inline int RunDrawingBenchmarks(int argc, char** argv, const std::function<void()>& beforeAppEnds = {}) {
  QStandardPaths::setTestModeEnabled(true);
  SetDefaultSurfaceFormat();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (beforeAppEnds) beforeAppEnds();
  return 0;
}

}  // namespace lumetrix::bench
