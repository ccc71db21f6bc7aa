// Lumetrix: three-dimensional display of microscope image stacks.

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "export/series/series_commands.h"
#include "app/cli_commands.h"
#include "app/command_line.h"
#include "viewer_ui/frm_3d.h"
#include "viewer_ui/gl_view.h"
#include "render/headless_platform.h"
#include "app/usage_count.h"
#include "core/version.h"

int main(int argc, char** argv) {
  using namespace lumetrix;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const CommandLine line = ParseCommandLine(args);
  if (!line.Error.empty()) {
    std::fprintf(stderr, "lumetrix: %s\n%s", line.Error.c_str(), UsageText().c_str());
    return 2;
  }
  if (line.Command == "help") {
    std::printf("%s", UsageText().c_str());
    return 0;
  }
  if (line.Command == "version") {
    std::printf("Lumetrix %s\n", kVersion);
    return 0;
  }
  if (line.Command == "info") return RunInfoCommand(line);
  if (line.Command == "join-tiff")
    return series::JoinTiffCommand(line.Arguments[0], {line.Arguments.begin() + 1, line.Arguments.end()});
  if (line.Command == "convert-leica")
    return series::ConvertLeicaCommand(line.Arguments[0], line.Arguments[1], line.Option("--map").value_or("0,1,2"));

  if (line.Command == "recompress" || line.Command == "avi2gif") {
    QCoreApplication app(argc, argv);  // settings, no windows
    QCoreApplication::setOrganizationName("Lumetrix");
    QCoreApplication::setApplicationName("Lumetrix");
    return line.Command == "avi2gif" ? RunAviToGifCommand(line) : RunRecompressCommand(line);
  }

  if (!line.Command.empty()) {
    UseOffscreenPlatformWithoutDisplay();
  } else if (NoDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    std::fprintf(stderr,
                 "lumetrix: there is no display for the window; --render, --run and the other commands "
                 "work without one\n");
    return 1;
  }
  SetDefaultSurfaceFormat();
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Lumetrix");
  QApplication::setApplicationName("Lumetrix");
  QApplication::setApplicationVersion(QString::fromLatin1(kVersion));

  if (line.Command == "render") return RunRenderCommand(line);
  if (line.Command == "run") return RunScriptCommand(line);
  if (line.Command == "movie") return RunMovieCommand(line);

  // The usage count takes major and minor only.
  PostUsageCount("Lumetrix", std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor));
  frm3D window;
  window.show();
  if (!line.Arguments.empty()) {
    const std::string file = line.Arguments[0];
    QTimer::singleShot(0, &window, [&window, file] { window.OpenAtStart(file); });
  }
  return app.exec();
}
