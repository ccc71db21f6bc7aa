// The viewer without a window, over the offscreen surface: opening, drawing, saving, palettes,
// movies, scripts through the object "Draw", and what it tells its observers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <map>

#include "core/file_helpers.h"
#include "core/view_value.h"
#include "export/avi/avi_reader.h"
#include "export/avi_ui/dialog_options_source.h"
#include "palettes/pal_file.h"
#include "palettes/ui/standard_palette_folders.h"
#include "scripting/script_host.h"
#include "tests/viewer/viewer_fixture.h"
#include "viewer/draw_object.h"
#include "render/offscreen_view.h"
#include "viewer/viewer.h"

namespace lumetrix {
namespace {

using test_support::TempDir;
using test_support::TiffSamples;
using testing::Stack;

// A viewer drawing offscreen, as the command line uses it, with its messages kept.
class ViewerTest : public ::testing::Test, public MessageSink {
 protected:
  void ShowMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }
  // Runs `main` as the body of the script's Main; false with the error line in error_.
  bool Run(const std::string& main) {
    std::ofstream(dir.File("s.scp"), std::ios::binary) << "Sub Main\n" + main + "\nEnd Sub\n";
    return v.RunScriptFile(dir.File("s.scp"), error_);
  }
  TempDir dir;
  std::vector<std::string> messages;
  OffscreenView surface;
  NullProgress progress;
  avi::RememberedOptionsSource movie_options;
  std::vector<std::string> statuses;  // the status line's texts
  Viewer v{surface, ViewerUi{progress, *this, movie_options, {}, {}, nullptr,
                             [this](const std::string& line) { statuses.push_back(line); }}};
  std::string error_;
};

TEST_F(ViewerTest, OpeningSetsTheTransparencyByPageCountAndOnlyGreyShowsThePaletteMenu) {
  v.SetTransparency(0.7f);
  ASSERT_TRUE(v.OpenVolume(Stack(dir, "rgb.tif", 1, 32, 24, TiffSamples::kRgb8)));
  EXPECT_EQ(std::pair(v.View().Transparency, v.PaletteMenuShown()), std::pair(1.0f, false));
  ASSERT_TRUE(v.OpenVolume(Stack(dir, "grey.tif", 2)));
  EXPECT_EQ(std::pair(v.View().Transparency, v.PaletteMenuShown()), std::pair(0.3f, true));
  ASSERT_TRUE(v.OpenVolume(Stack(dir, "rgb2.tif", 2, 32, 24, TiffSamples::kRgb8)));
  EXPECT_FALSE(v.PaletteMenuShown());  // a palette would change nothing on a colour volume
  EXPECT_EQ(v.LastFile(), dir.File("rgb2.tif"));
  // Deeper than 30 pages: 0.3 * 30 / pages, the brightness of 30 pages at 0.3.
  for (auto [pages, transparency] : {std::pair{30, 0.3f}, {60, 0.15f}, {300, 0.03f}}) {
    ASSERT_TRUE(v.OpenVolume(Stack(dir, std::to_string(pages) + ".tif", pages, 8, 8)));
    EXPECT_FLOAT_EQ(v.View().Transparency, transparency) << pages;
    v.SetTransparency(0.9f);
    v.ResetParameters();  // back to the file's start, not to an empty window's
    EXPECT_FLOAT_EQ(v.View().Transparency, transparency) << pages;
  }
}

TEST_F(ViewerTest, ResetParametersKeepsTheProportionsOfAVoxelSizeFromTheFile) {
  // 0.5 x 0.5 x 3 um voxels (tifffile): y as x, z 6 times as deep as x is wide.
  const std::string path = dir.File("calibrated.tif");
  ASSERT_EQ(std::system(("/usr/bin/python3 -c \"import numpy as np, tifffile; tifffile.imwrite('" + path +
                         "', np.zeros((4, 6, 8), 'u1'), imagej=True, resolution=(2.0, 2.0),"
                         " metadata={'axes': 'ZYX', 'spacing': 3.0, 'unit': 'um'})\"")
                            .c_str()),
            0);
  ASSERT_TRUE(v.OpenVolume(path));
  v.SetScaleZ(50);
  v.SetXYRot(10, 20);
  v.ResetParameters();
  ViewState expected;
  expected.ScaleY = 30, expected.ScaleZ = 180;  // ScaleX 30 at start; 4 pages keep 0.3
  EXPECT_TRUE(v.View() == expected) << v.View().ScaleY << " " << v.View().ScaleZ << " " << v.View().Transparency;
}

TEST_F(ViewerTest, TheFileOnScreenOpensAgainOnlyAfterCloseAndFailedOpensChangeNothing) {
  const std::string path = Stack(dir, "s.tif", 4);
  ASSERT_TRUE(v.OpenAndRun(path));
  v.SetXRot(33);
  test_support::WriteBytes(dir.File("bad.tif"), {'I', 'I', 42, 0, 99, 99, 99, 99});
  EXPECT_FALSE(v.OpenVolume(dir.File("bad.tif")));
  EXPECT_EQ(messages.size(), 1u);
  for (const std::string& silent : {dir.File("missing.tif"), dir.path().string()}) EXPECT_FALSE(v.OpenVolume(silent));
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_FALSE(v.OpenAtStart(dir.File("missing.tif")));
  EXPECT_EQ(messages.back(), "The file " + dir.File("missing.tif") + " does not exist.");
  EXPECT_EQ(std::tuple(v.Volume().Depth, v.View().XRot, v.View().Transparency), std::tuple(4, 33.0f, 0.3f));
  for (const std::string& unchanged : {path, std::string(), dir.File("bad.tif")}) {  // on screen, cancelled, bad
    EXPECT_FALSE(v.OpenAndRun(unchanged));
    EXPECT_TRUE(v.VolumeLoaded() && !v.ViewerDone() && v.LastFile() == path) << unchanged;
  }
  v.CloseVolume();
  EXPECT_TRUE(v.LastFile().empty() && v.ViewerDone());
  EXPECT_TRUE(v.OpenAndRun(path));
  EXPECT_TRUE(v.VolumeLoaded());
}

TEST_F(ViewerTest, DrawsTheVolumeTurningBySpeedAndSavesTheFrame) {
  v.SetClientSize(120, 90);
  ASSERT_TRUE(v.OpenAtStart(Stack(dir, "v.tif", 6)));
  v.SetYRotSpeed(2);
  for (int i = 0; i < 5; ++i) v.DrawImage();
  EXPECT_FLOAT_EQ(v.View().YRot, 10);
  v.SaveBMP(dir.File("frame.bmp"));
  const auto bytes = test_support::ReadBytes(dir.File("frame.bmp"));
  ASSERT_EQ(bytes.size(), 58u + FrameRowStride(120) * 90);
  EXPECT_TRUE(std::equal(v.LastCapturedFrame().Pixels.begin(), v.LastCapturedFrame().Pixels.end(), bytes.begin() + 58));
  v.SaveJPG(dir.File("frame.jpg"));
  const auto jpeg = test_support::ReadBytes(dir.File("frame.jpg"));
  ASSERT_GT(jpeg.size(), 100u);
  EXPECT_EQ(jpeg[0] * 256 + jpeg[1], 0xFFD8);  // the start-of-image marker
  // The JPEG holds the same frame (Pillow decodes both), and nothing was left in the temporary folder.
  EXPECT_EQ(std::system(("/usr/bin/python3 -c \"import numpy as np; from PIL import Image; a, b = (np.asarray("
                         "Image.open(f).convert('RGB'), int) for f in ('" +
                         dir.File("frame.jpg") + "', '" + dir.File("frame.bmp") +
                         "')); raise SystemExit(int(a.shape != b.shape or np.abs(a - b).mean() > 3))\"")
                            .c_str()),
            0);
  EXPECT_FALSE(FileExists(GetTempFolder() + "frame.bmp"));
  EXPECT_THROW(v.SaveBMP(dir.File("no/folder/frame.bmp")), std::exception);
}

TEST_F(ViewerTest, ImpossibleScalesAreReportedAndTheFileCanBeTriedAgainAndTinyVolumesDraw) {
  v.SetScaleZ(0);
  const std::string path = Stack(dir, "v.tif", 3);
  EXPECT_FALSE(v.OpenAtStart(path));
  EXPECT_TRUE(v.ViewerDone() && v.LastFile().empty() && !messages.empty());
  v.SetScaleZ(100);
  EXPECT_TRUE(v.OpenAtStart(path));
  EXPECT_TRUE(v.OpenAtStart(Stack(dir, "tiny.tif", 1, 1, 2)));
  v.SetXYRot(0, 90);
  v.DrawImage();
}

TEST_F(ViewerTest, SettersStoreFiniteValuesAsGivenAndRefuseTheOthers) {
  v.SetTransparency(2);
  v.SetColor(-1, 0, 0);
  v.SetLight(1, 0, 0);
  v.SetXYRot(10, 20);
  v.SetXRotSpeed(3);
  v.ResetSpeedParameters();
  const float inf = std::numeric_limits<float>::infinity(), nan = std::nanf("");
  const std::function<void()> refused[] = {
      [&] { v.SetXRot(nan); },        [&] { v.SetXYRot(1, -inf); },    [&] { v.SetColor(0.2f, inf, 0); },
      [&] { v.SetLight(nan, 0, 0); }, [&] { v.SetTransparency(inf); }, [&] { v.SetViewField(ViewField::ScaleY, nan); }};
  for (const auto& set : refused) EXPECT_THROW(set(), InvalidViewValue);
  ViewState expected;
  expected.Transparency = 2, expected.Color = {-1, 0, 0}, expected.XRot = 10, expected.YRot = 20;
  expected.LightColor = {1, 0, 0, 1};  // the alpha stays
  EXPECT_TRUE(v.View() == expected);
  v.ResetParameters();
  EXPECT_TRUE(v.View() == ViewState{});
}

TEST_F(ViewerTest, PalettesNeedAGreyVolumeAndColourItsSlices) {
  v.SetClientSize(100, 100);
  v.ChoosePalette(2);
  EXPECT_EQ(v.PaletteIndex(), 0);  // no volume yet
  ASSERT_TRUE(v.OpenAtStart(Stack(dir, "rgb.tif", 2, 32, 24, TiffSamples::kRgb8)));
  statuses.clear();
  v.SetPalette("Red");
  EXPECT_EQ(v.PaletteIndex(), 0);  // a colour volume takes no table, without a warning: the name is known
  EXPECT_EQ(statuses, std::vector<std::string>{});
  ASSERT_TRUE(v.OpenAtStart(Stack(dir, "grey.tif", 2)));
  v.SetTransparency(1);
  v.SetColor(1, 1, 1);
  v.ChoosePalette(2);  // Red
  EXPECT_EQ(v.PaletteIndex(), 2);
  EXPECT_EQ(v.Palettes().CheckedIndex(), 2);
  v.DrawImage();
  const CapturedFrame f = v.Surface().CaptureFrame(0, 0, 100, 100);
  const uint8_t* centre = f.Pixels.data() + 50 * FrameRowStride(f.Width) + 50 * 3;
  EXPECT_GT(centre[2], 20);  // red only
  EXPECT_EQ(centre[1] + centre[0], 0);
  v.SetPalette("green");
  statuses.clear();
  v.SetPalette("no such palette");  // told on the status line; the palette in use stays
  EXPECT_EQ(v.PaletteIndex(), 3);
  EXPECT_EQ(statuses, std::vector<std::string>{"Unknown palette \"no such palette\": the palette stays as it was"});
  v.LoadLuts();  // the tick stays with the table in use, so that Grey can be chosen again
  EXPECT_EQ(std::pair(v.Palettes().CheckedIndex(), v.PaletteIndex()), std::pair(3, 3));
  v.ChoosePalette(0);
  v.DrawImage();
  const CapturedFrame g = v.Surface().CaptureFrame(0, 0, 100, 100);
  const uint8_t* grey = g.Pixels.data() + 50 * FrameRowStride(g.Width) + 50 * 3;
  EXPECT_TRUE(grey[0] > 20 && grey[0] == grey[1] && grey[1] == grey[2]);
}

TEST_F(ViewerTest, ARecordingHoldsEveryAddedFrameAtTheDrawingAreasSize) {
  ASSERT_TRUE(v.OpenAtStart(Stack(dir, "v.tif", 4, 32, 32)));
  v.AVIAdd();  // nothing is recording: both ignored
  v.AVIend();
  EXPECT_FALSE(v.AVICodec("no-such-codec"));
  ASSERT_TRUE(v.AVICodec("raw"));
  EXPECT_FALSE(v.AVIStart(dir.File("no/such/folder/m.avi"), 10, 0, 0) || v.Recording());
  ASSERT_TRUE(v.AVIStart(dir.File("spin.avi"), 60, 101, 75));
  EXPECT_EQ(std::pair(v.ScaleWidth(), v.ScaleHeight()), std::pair(104, 80));  // multiples of 8
  v.SetYRotSpeed(10);
  for (int i = 0; i < 6; ++i) {
    v.DrawImage();
    v.AVIAdd();
  }
  const std::vector<uint8_t> last = v.LastCapturedFrame().Pixels;
  ASSERT_TRUE(v.AVIStart(dir.File("second.avi"), 10, 0, 0));  // closes the first
  v.AVIend();
  EXPECT_FALSE(v.Recording());
  avi::AviReader reader;
  ASSERT_TRUE(reader.Open(dir.File("spin.avi"))) << reader.Error();
  EXPECT_EQ(std::tuple(reader.FrameCount(), reader.Width(), reader.Height()), std::tuple(6, 104, 80));
  EXPECT_DOUBLE_EQ(reader.FrameRate(), 30);  // 60 is limited to 30
  avi::DecodedFrame frame;
  ASSERT_TRUE(reader.ReadFrame(5, avi::PixelLayout::Bgr24, avi::RowOrder::BottomUp, frame));
  EXPECT_EQ(frame.Pixels, last);
}

class ViewerScripts : public ViewerTest {
 protected:
  void SetUp() override { ASSERT_TRUE(v.OpenAtStart(Stack(dir, "v.tif", 8, 32, 32))); }
};

TEST_F(ViewerScripts, MembersAreCallableBareAndQualifiedInAnyCaseWithConvertedArguments) {
  ASSERT_TRUE(Run("  Draw.setxrot \"12.5\"\n  DRAW.SetColor 1, 0.5, True\n  setlight 2, 3, 4\n"
                  "  SetTransparency 1.5: SetLightOn: Setx 1: Sety 2: SetZ -4\n"
                  "  SetScaleX 10: SetScaleY 20: SetScaleZ 40: SetXRotSpeed 5: SetYRotSpeed 6\n"
                  "  SetRenderMode \"Max\": SetScaleBar True: SetAxes \"1\"\n"
                  "  If TypeName(Draw) <> \"frm3D\" Then Err.Raise 5\n"
                  "  If AVICodec(\"raw\") And Not AVIStart(\"" + dir.File("none/m.avi") + "\", 25, 0, 0) Then SetYRot 7"))
      << error_;
  ViewState e;
  e.XRot = 12.5f + 5, e.YRot = 7 + 6;  // the viewer's own frame after the run turned it once
  e.Color = {1, 0.5f, -1}, e.LightColor = {2, 3, 4, 1}, e.Transparency = 1.5f, e.LightOn = true;  // True is -1
  e.Mode = RenderMode::Maximum, e.ScaleBar = true, e.Axes = true;
  e.PosX = 1, e.PosY = 2, e.PosZ = -4, e.ScaleX = 10, e.ScaleY = 20, e.ScaleZ = 40, e.XSpeed = 5, e.YSpeed = 6;
  EXPECT_TRUE(v.View() == e);
}

// The members without arguments and AutoContrast, each with the change it makes.
TEST_F(ViewerScripts, LightSpeedResetPaletteAndContrastMembersChangeWhatTheyName) {
  const ViewState start = v.View();
  // The light goes off after going on; the turning stops where it is (no turn in the frame after).
  ASSERT_TRUE(Run("  SetXRotSpeed 5: SetYRotSpeed 6: SetLightOn: SetLightOff: ResetSpeedParameters: SetXRot 30")) << error_;
  ViewState e = start;
  e.XRot = 30, e.LightOn = false;
  EXPECT_TRUE(v.View() == e);
  ASSERT_TRUE(Run("  SetScaleZ 50: SetXYRot 10, 20: SetTransparency 0.9: SetLightOn: ResetParameters")) << error_;
  EXPECT_TRUE(v.View() == start);
  // A palette file added since the start shows after LoadLuts.
  // (A name of this process's own, never a file the user has: the folder is the user's.)
  const std::filesystem::path added =
      StandardPaletteFolders().writable / ("Added by test " + std::to_string(::getpid()) + ".pal");
  std::filesystem::create_directories(added.parent_path());
  ASSERT_FALSE(std::filesystem::exists(added));
  const int32_t before = v.Palettes().Count();
  palettes::WritePalFile(added, palettes::Lut::Filled(9));
  EXPECT_EQ(v.Palettes().Count(), before);
  const bool loaded = Run("  LoadLuts");
  std::filesystem::remove(added);
  ASSERT_TRUE(loaded) << error_;
  EXPECT_EQ(v.Palettes().Count(), before + 1);
  // AutoContrast n sets channel n's range (counted from 1) to the automatic range of its samples.
  ASSERT_EQ(v.Display().Channels.at(0), ChannelDisplay{});  // 0 .. 255
  ASSERT_TRUE(Run("  AutoContrast 1")) << error_;
  ASSERT_TRUE(v.Volume().Stack);
  const auto automatic = AutoRange(*v.Volume().Stack, 0, 0);
  EXPECT_NE(automatic, std::pair(0.0, 255.0));
  const ChannelDisplay look = v.Display().Channels.at(0);
  EXPECT_EQ(std::pair(look.Min, look.Max), automatic);
  EXPECT_FALSE(Run("  AutoContrast 2"));  // one channel only
}

// One 8-bit grey channel over 0..127.5: every sample doubles, clamped (the file's samples are
// (50 p + 3 x + y) % 256).
TEST_F(ViewerScripts, ADisplayRangeRebuildsTheSlicesOfAGreyStack) {
  ASSERT_TRUE(Run("  If ChannelCount <> 1 Or TimePointCount <> 1 Then Err.Raise 5\n"
                  "  SetDisplayRange 1, 0, 127.5: SetGamma 1, 1: SetChannelColor 1, 255, 0, 0"))
      << error_;
  const VolumeData& d = v.Volume();
  ASSERT_TRUE(d.IsGrey);
  for (int i = 0; i < 32 * 32 * 8; ++i) {
    const int p = i % 8, x = i / 8 % 32, y = i / 256;
    ASSERT_EQ(d.At(p, x, y), std::min(255, 2 * ((p * 50 + x * 3 + y) % 256))) << p << x << y;
  }
}

TEST_F(ViewerScripts, FailuresBecomeRunTimeErrorsWithTheirNumbers) {
  const std::pair<std::string, int32_t> cases[] = {
      {"SetXRot 1, 2", 450}, {"SetLightOn 1", 450}, {"SetYRot \"north\"", 13},
      {"SaveBMP \"" + dir.File("no/folder/a.bmp") + "\"", 75}, {"SaveJPG \"" + dir.File("no/folder/a.jpg") + "\"", 75},
      {"RunVBScript", 5},  // one run at a time
      {"SetRenderMode \"brightest\"", 5}, {"SetRenderMode", 450}, {"SetScaleBar True, 1", 450}, {"SetAxes \"maybe\"", 13},
      {"SetDisplayRange 2, 0, 9", 5}, {"SetDisplayRange 1, 9, 9", 5}, {"SetGamma 1, 0", 5}, {"SetTimePoint 2", 5},
      {"SetChannelColor 1, 0, 256, 0", 5}, {"SetChannel 1", 450}, {"SetGamma 1, \"bright\"", 13}};
  for (const auto& [statement, number] : cases) {
    EXPECT_FALSE(Run("  SetXRot 1\n  " + statement)) << statement;
    EXPECT_EQ(v.Host().LastError().Number, number) << statement;
    EXPECT_EQ(v.Host().LastError().Line, 3) << statement;
    if (number == 75) {
      EXPECT_EQ(error_.rfind("Error: Path/File access error: ", 0), 0u) << error_;
    }
  }
  EXPECT_FALSE(v.ScriptRunning());
  EXPECT_TRUE(Run("  On Error Resume Next\n  SaveBMP \"" + dir.File("no/folder/a.bmp") + "\"\n"
                  "  If Err.Number = 75 Then SetXRot 9"));
  EXPECT_EQ(v.View().XRot, 9);
}

TEST_F(ViewerScripts, ANonFiniteArgumentIsAnInvalidCallCarryingTheParametersWindowsText) {
  // The engine keeps scripts from making infinities; a host object can be handed them directly.
  auto draw = MakeDrawObject(v);
  const auto names = draw->MemberNames();
  const vbs::Variant inf(std::numeric_limits<float>::infinity()), one(1.0f);
  for (const auto& [name, args] : std::vector<std::pair<std::string, std::vector<vbs::Variant>>>{
           {"SetXRot", {inf}}, {"SetColor", {one, inf, one}}, {"SetXYRot", {inf, one}}}) {
    const auto member = static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    try {
      draw->Invoke(member, args);
      ADD_FAILURE() << name;
    } catch (const vbs::ScriptError& e) {
      EXPECT_EQ(e.number, 5) << name;
      EXPECT_EQ(e.description, std::string("Invalid procedure call or argument: ") + kNotAViewValue);
    }
  }
  EXPECT_EQ(v.View().XRot + v.View().Color[0], 0.5f);
}

TEST_F(ViewerTest, ObserversHearWhatChanged) {
  std::map<ViewerChange, int> heard;
  std::vector<bool> running;
  v.Observe([&](ViewerChange c) {
    ++heard[c];
    if (c == ViewerChange::ScriptRunning) running.push_back(v.ScriptRunning());
  });
  v.SetXRot(1);
  v.Wheel(120);
  v.LoadLuts();
  ASSERT_TRUE(v.OpenAtStart(Stack(dir, "grey.tif", 2)));  // the Palette menu shows now; the title names the file
  EXPECT_EQ(heard, (std::map<ViewerChange, int>{
                       {ViewerChange::View, 3}, {ViewerChange::Palettes, 2}, {ViewerChange::Caption, 1}}));
  EXPECT_FALSE(Run("  DrawImage\n  x = 1 / 0"));
  EXPECT_EQ(running, (std::vector<bool>{true, false}));
  EXPECT_EQ(heard[ViewerChange::Caption], 3);
  EXPECT_EQ(v.WindowCaption(), "3D Image Viewer - Stopped - Error in Script");
  EXPECT_EQ(error_.rfind("Error: Division by zero at line: 3 column: ", 0), 0u) << error_;
  EXPECT_FALSE(v.RunScriptFile(dir.File("none.scp"), error_));
  EXPECT_FALSE(error_.empty());
}

}  // namespace
}  // namespace lumetrix
