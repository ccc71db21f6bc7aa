// How long the main window stays deaf after opening a large stack: opens the stack named on the
// command line in a shown window and reports, from the moment the open returns, when the event
// queue first runs again, the longest gap between its runs and when the first frame is shown.
//   open_responsiveness STACK.tif [STACK2.tif]   (a second stack opened after the first: VmRSS)
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <fstream>
#include <string>

#include "core/resident_memory.h"
#include "viewer_ui/frm_3d.h"
#include "viewer_ui/gl_view.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s STACK.tif [STACK2.tif]\n", argv[0]);
    return 2;
  }
  lumetrix::SetDefaultSurfaceFormat();
  QApplication app(argc, argv);
  lumetrix::frm3D w;
  w.show();
  for (int i = 0; i < 50; ++i) QApplication::processEvents();
  QElapsedTimer clock;
  qint64 returned = -1, first_tick = -1, longest_gap = 0, last_tick = -1, first_frame = -1;
  w.TheViewer().Observe([&](lumetrix::ViewerChange c) {
    if (c == lumetrix::ViewerChange::FrameDrawn && returned >= 0 && first_frame < 0) first_frame = clock.elapsed();
  });
  QTimer ticker;
  ticker.setInterval(5);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    if (returned < 0) return;
    if (first_tick < 0) first_tick = now;
    if (last_tick >= 0 && now - last_tick > longest_gap) longest_gap = now - last_tick;
    last_tick = now;
  });
  QTimer::singleShot(0, [&] {
    clock.start();
    ticker.start();
    w.OpenAtStart(argv[1]);
    returned = clock.elapsed();
    QTimer::singleShot(6000, [&] {
      std::printf("open took %lld ms; after it: first event %lld ms, longest gap %lld ms, first frame %lld ms\n",
                  returned, first_tick - returned, longest_gap, first_frame < 0 ? -1 : first_frame - returned);
      QElapsedTimer frame;
      frame.start();
      w.TheViewer().DrawImage();  // one full frame drawn and shown now
      std::printf("a full frame: %lld ms\n", frame.elapsed());
      std::printf("VmRSS after the first stack: %ld kB\n", lumetrix::ResidentKilobytes());
      if (argc > 2) {
        w.OpenAtStart(argv[2]);
        for (int i = 0; i < 50; ++i) QApplication::processEvents();
        std::printf("VmRSS after the second stack: %ld kB\n", lumetrix::ResidentKilobytes());
      }
      app.quit();
    });
  });
  return app.exec();
}
