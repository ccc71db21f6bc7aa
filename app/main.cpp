// Lumetrix: three-dimensional display of microscope image stacks.

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <optional>
#include <string>
#include <vector>

#include "export/series/series_commands.h"
#include "app/cli_commands.h"
#include "app/command_line.h"
#include "core/data_folder.h"
#include "viewer_ui/frm_3d.h"
#include "viewer_ui/gl_view.h"
#include "render/headless_platform.h"
#include "app/usage_count.h"
#include "app/private_runtime_folder.h"
#include "core/partial_files.h"
#include "core/version.h"
#include "app/memory_option.h"

int main(int argc, char** argv) {
  using namespace lumetrix;
#ifdef __GLIBC__
  // Blocks of a streamed volume (chunks, bricks) come and go by the thousand on the loader
  // threads; glibc would raise its mmap threshold after the first were freed and keep the later
  // ones in the threads' heaps, where the memory freed stays with the process. A fixed threshold
  // gives every freed block back.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
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
  // Commands run in batches: an interrupted one leaves no partial file behind, and none makes a
  // folder in the temporary folder that outlives it.
  std::optional<PrivateRuntimeFolder> runtime;
  if (!line.Command.empty()) {
    InstallInterruptCleanup();
    runtime.emplace();
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

  // The window and the drawing commands read palettes (and the window the manual) from the data
  // folder: without it they stop at once, naming the folder.
  if (const std::string error = DataFolderError(QCoreApplication::applicationDirPath().toStdString());
      !error.empty()) {
    std::fprintf(stderr, "lumetrix: %s\n", error.c_str());
    if (line.Command.empty()) QMessageBox::critical(nullptr, "Lumetrix", QString::fromStdString(error));
    return 1;
  }
  if (line.Command == "render") return RunRenderCommand(line);
  if (line.Command == "run") return RunScriptCommand(line);
  if (line.Command == "movie") return RunMovieCommand(line);

  // The usage count takes major and minor only.
  PostUsageCount("Lumetrix", std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor));
  streaming::MemoryBudget memory;
  if (const std::string problem = ReadMemoryBudget(line, memory); !problem.empty()) {
    std::fprintf(stderr, "lumetrix: %s\n", problem.c_str());
    return 2;
  }
  frm3D window;
  if (line.Option("--memory")) window.TheViewer().SetMemoryBudget(memory);  // over Preferences
  window.show();
  if (!line.Arguments.empty()) {
    const std::string file = line.Arguments[0];
    QTimer::singleShot(0, &window, [&window, file] { window.OpenAtStart(file); });
  }
  return app.exec();
}
