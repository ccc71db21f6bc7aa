// Keyframe animations: the frames between keyframes, and movies rendered from them, read back
// with FFmpeg's decoder.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/viewer/viewer_fixture.h"
#include "viewer/animation/channel_keys.h"
#include "viewer/animation/keyframe_file.h"
#include "viewer/animation/keyframe_script.h"
#include "viewer/animation/movie_renderer.h"
#include "viewer_ui/offscreen_viewer.h"

namespace lumetrix::animation {
namespace {

KeyframeTrack Parse(const std::string& json) {
  std::string error;
  auto track = ParseKeyframes(json, error);
  EXPECT_TRUE(track) << error;
  return track.value_or(KeyframeTrack{});
}

TEST(KeyframeTrack, FramesBetweenKeyframesFollowTheirWay) {
  struct Case {
    const char* keys;
    int frame;
    float yrot, posz, red;
    bool light;
    const char* palette;
  };
  // Expected values worked out by hand; the start view has PosZ -3, Color 0.5, light off.
  const Case cases[] = {
      {R"([{"frame":0,"YRot":0},{"frame":10,"YRot":180}])", 5, 90, -3, 0.5f, false, ""},
      {R"([{"frame":0,"YRot":0},{"frame":10,"YRot":270}])", 5, -45, -3, 0.5f, false, ""},  // the short way
      {R"([{"frame":0,"YRot":350},{"frame":10,"YRot":10}])", 5, 360, -3, 0.5f, false, ""},
      {R"([{"frame":0,"YRot":0},{"frame":10,"YRot":360}])", 5, 0, -3, 0.5f, false, ""},
      {R"([{"frame":0,"YRot":0},{"frame":10,"YRot":360,"FullTurn":true}])", 5, 180, -3, 0.5f, false, ""},
      {R"([{"frame":0,"PosZ":-3},{"frame":8,"PosZ":-1,"Ease":"inout"}])", 2, 0, -2.6875f, 0.5f, false, ""},
      {R"([{"frame":0,"Color":[0,0,0]},{"frame":4,"Color":[1,1,1]}])", 1, 0, -3, 0.25f, false, ""},
      // Absent properties keep the value before; flags and palettes switch at the keyframe.
      {R"([{"frame":0,"PosZ":-5},{"frame":10,"LightOn":true,"MaxProjection":true,"Palette":"Fire"}])", 9, 0, -5, 0.5f, false, ""},
      {R"([{"frame":0,"PosZ":-5},{"frame":10,"LightOn":true,"MaxProjection":true,"Palette":"Fire"}])", 10, 0, -5, 0.5f, true, "Fire"},
      {R"([{"frame":4,"YRot":30},{"frame":10,"YRot":90}])", 0, 30, -3, 0.5f, false, ""},  // before the first
  };
  for (const Case& c : cases) {
    const KeyframeTrack track = Parse(std::string(R"({"keyframes":)") + c.keys + "}");
    const FrameView v = track.At(c.frame);
    SCOPED_TRACE(std::string(c.keys) + " at frame " + std::to_string(c.frame));
    EXPECT_FLOAT_EQ(v.View.YRot, c.yrot);
    EXPECT_FLOAT_EQ(v.View.PosZ, c.posz);
    EXPECT_FLOAT_EQ(v.View.Color[0], c.red);
    EXPECT_EQ(v.View.LightOn, c.light);
    EXPECT_EQ(v.View.Mode == RenderMode::Maximum, c.light);  // switched with the light
    EXPECT_EQ(v.Palette, c.palette);
  }
}

TEST(KeyframeTrack, TheSavedScriptsLoopsAreThoseWorkedByHand) {
  // Written by hand, not by the script writer: YRot 350 -> 10 goes the short way (+20), eased in
  // and out (at f = 1: t = 1/4, 0.25^2 * (3 - 0.5) = 0.15625, YRot 353.125); PosZ from the start
  // view's -3 to -1 (+2); red 0.5 -> 0.9 as Singles: 15099494 * 2^-24 - 2^-1 = 13421772 * 2^-25,
  // one step below the Single 0.4, shortest text "0.39999998".
  const KeyframeTrack track = Parse(
      R"({"fps":10,"size":[64,48],"keyframes":[{"frame":0,"YRot":350},
          {"frame":4,"YRot":10,"PosZ":-1,"Ease":"inout"},{"frame":10,"YRot":100,"Color":[0.9,0.5,0.5]}]})");
  EXPECT_FLOAT_EQ(track.At(1).View.YRot, 353.125f);
  const std::string script = KeyframeScript(track, "m.avi");
  const char* const parts[] = {  // in this order
      "  If Not AVIStart(MovieFile, 10, 64, 48) Then Exit Sub\n",
      "  For f = 0 To 3\n    t = (f - 0) / 4\n    t = t * t * (3 - 2 * t)\n    Call SetYRot(350 + 20 * t)\n"
      "    Call SetZ(-3 + 2 * t)\n    DrawImage\n    AVIAdd\n  Next\n",
      "  For f = 4 To 9\n    t = (f - 4) / 6\n    Call SetYRot(10 + 90 * t)\n"
      "    Call SetColor(0.5 + 0.39999998 * t, 0.5 + 0 * t, 0.5 + 0 * t)\n    DrawImage\n    AVIAdd\n  Next\n",
      "  Call SetYRot(100)\n",  // the last keyframe's frame, after the loops
      "  DrawImage\n  AVIAdd\n  AVIend\nEnd Sub\n",
  };
  size_t from = 0;
  for (const char* text : parts) {
    const size_t at = script.find(text, from);
    ASSERT_NE(at, std::string::npos) << text << "\nnot after " << from << " in\n" << script;
    from = at + 1;
  }
}

TEST(KeyframeTrack, ChannelsAndTimePointsBlendFromTheVolumesOwnSettings) {
  // The volume shows two channels: 1 green over 0..255, 2 magenta over 0..3000, time point 2 of 3.
  DisplaySettings shown;
  shown.Channels = {{0, 255, 0, true, 0, 255, 1}, {255, 0, 255, true, 0, 3000, 1}};
  shown.TimePoint = 2;
  struct Case {
    const char* keys;
    int frame;
    ChannelDisplay one, two;
    int time_point;
  };
  const ChannelDisplay green = shown.Channels[0], magenta = shown.Channels[1];
  const Case cases[] = {
      {R"([{"frame":0,"Channel1":{"Range":[0,100]}},{"frame":10,"Channel1":{"Range":[100,300]}}])", 5,
       {0, 255, 0, true, 50, 200, 1}, magenta, 2},
      // Left out before the first keyframe that gives it: the volume's own range is the start.
      {R"([{"frame":0},{"frame":10,"Channel2":{"Range":[0,1000],"Gamma":2}}])", 5,
       green, {255, 0, 255, true, 0, 2000, 1.5}, 2},
      // Colours to whole levels: 63.75 is 64; 127.5 is 128 (half to even, as scripts round).
      {R"([{"frame":0,"Channel1":{"Color":[0,0,0]}},{"frame":4,"Channel1":{"Color":[255,255,255]}}])", 1,
       {64, 64, 64, true, 0, 255, 1}, magenta, 2},
      {R"([{"frame":0,"Channel1":{"Color":[0,0,0]}},{"frame":4,"Channel1":{"Color":[255,255,255]}}])", 2,
       {128, 128, 128, true, 0, 255, 1}, magenta, 2},
      // Visibility switches at the keyframe.
      {R"([{"frame":0},{"frame":10,"Channel2":{"Visible":false}}])", 9, green, magenta, 2},
      {R"([{"frame":0},{"frame":10,"Channel2":{"Visible":false}}])", 10, green, {255, 0, 255, false, 0, 3000, 1}, 2},
      // Time points go by linearly to the nearest: 1.5 is 2, 2.5 is 2, 2.6 is 3.
      {R"([{"frame":0,"TimePoint":1},{"frame":20,"TimePoint":3}])", 5, green, magenta, 2},
      {R"([{"frame":0,"TimePoint":1},{"frame":20,"TimePoint":3}])", 15, green, magenta, 2},
      {R"([{"frame":0,"TimePoint":1},{"frame":20,"TimePoint":3}])", 16, green, magenta, 3},
      {R"([{"frame":0},{"frame":20,"TimePoint":1}])", 10, green, magenta, 2},  // from the one shown
  };
  for (const Case& c : cases) {
    KeyframeTrack track = Parse(std::string(R"({"keyframes":)") + c.keys + "}");
    SCOPED_TRACE(std::string(c.keys) + " at frame " + std::to_string(c.frame));
    ASSERT_EQ(StartFrom(track, shown, 3), "");
    const FrameView v = track.At(c.frame);
    const DisplaySettings d = WithFrame(shown, v.Channels, v.TimePoint);
    EXPECT_EQ(d.Channels[0], c.one);
    EXPECT_EQ(d.Channels[1], c.two);
    EXPECT_EQ(d.TimePoint, c.time_point);
  }
  // Keyframes that ask for what the volume lacks say so.
  KeyframeTrack three = Parse(R"({"keyframes":[{"frame":0},{"frame":5,"Channel3":{"Visible":false}}]})");
  EXPECT_EQ(StartFrom(three, shown, 3), "Keyframe 2 (frame 5) sets channel 3, but the volume has 2 channels");
  KeyframeTrack late = Parse(R"({"keyframes":[{"frame":0,"TimePoint":4}]})");
  EXPECT_EQ(StartFrom(late, shown, 3), "Keyframe 1 (frame 0) shows time point 4, but the volume has 3 time points");
}

// The ray casting and cutting values of a frame that differ from the start view, in one line.
std::string Cuts(const ViewState& v) {
  const ViewState start;
  std::ostringstream out;
  if (v.Crop != start.Crop) {
    out << "crop";
    for (float limit : v.Crop.Limits) out << ' ' << limit;
    out << ", ";
  }
  if (v.Clip != start.Clip)
    out << (v.Clip.On ? "plane " : "off ") << v.Clip.Plane[0] << ' ' << v.Clip.Plane[1] << ' ' << v.Clip.Plane[2] << ' '
        << v.Clip.Plane[3] << ", ";
  out << "mode " << static_cast<int>(v.Mode) << (v.Proj == Projection::Orthographic ? " ortho" : "");
  if (v.Attenuation != start.Attenuation || v.Quality != start.Quality)
    out << ", " << v.Attenuation << ' ' << v.Quality;
  if (v.IsoLevel != start.IsoLevel) out << ", iso " << v.IsoLevel[0] << ' ' << v.IsoLevel[1] << ' ' << v.IsoLevel[2];
  return out.str();
}

TEST(KeyframeTrack, CutsAndRayCastingValuesBlendAndModesSwitchAtTheKeyframe) {
  // Worked out by hand: t = 0.25 at frame 1 and 0.75 at frame 3 of 0..4. Modes count from
  // Additive 0: Maximum 1, Volume 2, Mip 3, Iso 6.
  const char* cut = R"([{"frame":0,"Crop":[0,40,0,30,0,10],"ClipPlane":[0,0,1,2]},
                        {"frame":4,"Crop":[8,32,4,30,2,6],"ClipPlane":[1,0,1,10]}])";
  const char* modes = R"([{"frame":0,"RenderMode":"volume"},{"frame":10,"RenderMode":"ISO","Projection":"ortho"}])";
  const char* iso = R"([{"frame":0,"IsoLevel":[100,-1,40],"Attenuation":0,"Quality":1},
                        {"frame":4,"IsoLevel":[300,200],"Attenuation":2,"Quality":0.5}])";
  const std::tuple<const char*, int, const char*> cases[] = {
      {cut, 1, "crop 2 38 1 30 0.5 9, plane 0.25 0 1 4, mode 0"},
      {cut, 3, "crop 6 34 3 30 1.5 7, plane 0.75 0 1 8, mode 0"},
      {modes, 9, "mode 2"},
      {modes, 10, "mode 6 ortho"},
      // The plane stays on up to the keyframe that switches it off; one switched off may flip over.
      {R"([{"frame":0,"ClipPlane":[0,0,1,5]},{"frame":10,"ClipOn":false,"ClipPlane":[0,0,1,15]}])", 5, "plane 0 0 1 10, mode 0"},
      {R"([{"frame":0,"ClipPlane":[0,0,1,5],"ClipOn":false},{"frame":4,"ClipPlane":[0,0,-1,5]}])", 4, "plane 0 0 -1 5, mode 0"},
      // Levels blend only between two levels (-1: the middle of the range); one left out keeps its value.
      {iso, 1, "mode 0, 0.5 0.875, iso 150 -1 40"},
      // Older files: MaxProjection means what it meant; RenderMode wins in the same keyframe.
      {R"([{"frame":0,"RenderMode":"volume"},{"frame":2,"MaxProjection":true}])", 2, "mode 1"},
      {R"([{"frame":0,"RenderMode":"volume"},{"frame":2,"MaxProjection":false}])", 2, "mode 0"},
      {R"([{"frame":0,"MaxProjection":true,"RenderMode":"mip"}])", 0, "mode 3"},
  };
  for (const auto& [keys, frame, expected] : cases)
    EXPECT_EQ(Cuts(Parse(std::string(R"({"keyframes":)") + keys + "}").At(frame).View), expected)
        << keys << " at frame " << frame;
}

TEST(KeyframeFile, HostileRayCastingValuesAreRefusedNamingKeyframeAndProperty) {
  const std::pair<const char*, const char*> cases[] = {  // keyframes, words the message holds
      {R"([{"frame":0},{"frame":3,"Crop":[10,5,0,1,0,1]}])", "Keyframe 2 (frame 3), Crop: The crop box's x limits are"},
      {R"([{"frame":0,"Crop":[-1,5,0,1,0,1]}])", "Crop: The crop box's limits count voxels from 0"},
      {R"([{"frame":0,"Crop":[0,2e9,0,1,0,1]}])", "Crop must be [x0, x1, y0, y1, z0, z1]"},
      {R"([{"frame":0,"ClipPlane":[1e-50,0,0,5]}])", "ClipPlane: The clipping plane needs a normal that is not zero"},
      {R"([{"frame":0,"ClipPlane":[0,0,1]}])", "ClipPlane must be [nx, ny, nz, d]"},
      {R"([{"frame":0,"ClipPlane":[0,0,1,5]},{"frame":5,"ClipPlane":[0,0,-2,5]}])",
       "Keyframe 2 (frame 5), ClipPlane: the plane's normal turns through zero"},
      {R"([{"frame":0,"RenderMode":3}])", "RenderMode: The render mode is \"additive\""},
      {R"([{"frame":0,"Projection":"fisheye"}])", "Projection: The projection is \"perspective\""},
      {R"([{"frame":0,"Attenuation":-1}])", "Attenuation: The attenuation must be a number from 0 up"},
      {R"([{"frame":0,"IsoLevel":[]}])", "IsoLevel must be [level of channel 1"},
      {R"([{"frame":0,"Quality":0}])", "Quality: The quality is the step along a ray"},
      {R"([{"frame":0,"IsoLevel":[100,-0.5]}])", "IsoLevel: The iso level is a stored value"},
      {R"([{"frame":0,"Quality":NaN}])", "not valid JSON"},
  };
  for (const auto& [keys, words] : cases) {
    std::string error;
    EXPECT_FALSE(ParseKeyframes(std::string(R"({"keyframes":)") + keys + "}", error)) << keys;
    EXPECT_NE(error.find(words), std::string::npos) << keys << ": " << error;
  }
}

TEST(KeyframeFile, SavedFilesReadBackTheSameTrack) {
  const KeyframeTrack track = Parse(
      R"({"fps":12.5,"size":[320,200],"keyframes":[{"frame":0,"XRot":-12.3,"Color":[0.1,0.2,0.3]},
          {"frame":7,"YRot":400,"FullTurn":true,"Ease":"inout","LightOn":true,"Palette":"Ice","Transparency":0.7,
           "Channel3":{"Visible":false,"Range":[-5.5,4095]},"TimePoint":4},
          {"frame":9,"Channel1":{"Color":[1,2.5,255],"Gamma":0.45},"MaxProjection":true},{"frame":12,"Palette":"",
           "RenderMode":"attenuated","Projection":"orthographic","Crop":[1,2,3,4,5,6],"ClipPlane":[0.5,0,1,3],
           "Attenuation":0.25,"Quality":0.75,"IsoLevel":[7,-1,9]}]})");
  EXPECT_EQ(track.Keys[3].Palette, "Ice");  // "" leaves the palette as it is
  ASSERT_EQ(track.Keys[2].Channels.size(), 3u);
  EXPECT_EQ(track.Keys[2].Channels[2].Given, ChannelKey::kVisible | ChannelKey::kRange);  // kept from before
  const std::string json = KeyframesJson(track);  // the render mode by its word, whatever the file said
  EXPECT_TRUE(json.find("\"RenderMode\": \"max\"") != json.npos && json.find("MaxProjection") == json.npos);
  // The values as typed above, read and written: the round trip alone would pass a property that
  // the reader and the writer both drop or both garble.
  const Keyframe& k1 = track.Keys[1];
  EXPECT_EQ(std::tuple(track.Keys[0].View.XRot, track.Keys[0].View.Color), std::tuple(-12.3f, std::array{0.1f, 0.2f, 0.3f}));
  EXPECT_EQ(std::tuple(k1.Frame, k1.View.YRot, k1.FullTurn, k1.Easing, k1.View.LightOn, k1.View.Transparency, k1.TimePoint),
            std::tuple(7, 400.0f, true, Ease::InOut, true, 0.7f, 4));
  ChannelKey hidden;
  hidden.Given = ChannelKey::kVisible | ChannelKey::kRange, hidden.Visible = false, hidden.Min = -5.5, hidden.Max = 4095;
  ASSERT_EQ(k1.Channels.size(), 3u);
  EXPECT_EQ(k1.Channels[2], hidden);
  ChannelKey first;
  first.Given = ChannelKey::kColor | ChannelKey::kGamma, first.Color = {1, 2.5, 255}, first.Gamma = 0.45;
  EXPECT_EQ(track.Keys[2].Channels[0], first);
  EXPECT_EQ(track.Keys[2].View.Mode, RenderMode::Maximum);
  const ViewState& v3 = track.Keys[3].View;
  EXPECT_EQ(std::tuple(v3.Mode, v3.Proj, v3.Attenuation, v3.Quality), std::tuple(RenderMode::Attenuated,
            Projection::Orthographic, 0.25f, 0.75f));
  EXPECT_EQ(v3.Crop.Limits, (std::array<float, 6>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(v3.Clip, (ClipPlane{true, {0.5f, 0, 1, 3}}));
  EXPECT_EQ(v3.IsoLevel, (std::array<float, kIsoChannels>{7, -1, 9, -1, -1, -1, -1, -1}));
  // The saved text read by Qt's JSON parser, not ours.
  const QJsonObject saved = QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
  const QJsonArray keys = saved["keyframes"].toArray();
  ASSERT_EQ(keys.size(), 4) << json;
  EXPECT_EQ(saved["fps"].toDouble(), 12.5);
  EXPECT_EQ(saved["size"].toArray(), (QJsonArray{320, 200}));
  EXPECT_EQ(static_cast<float>(keys[0].toObject()["XRot"].toDouble()), -12.3f);  // the Single read back
  EXPECT_EQ(keys[1].toObject()["Channel3"].toObject()["Range"].toArray(), (QJsonArray{-5.5, 4095})) << json;
  EXPECT_EQ(keys[2].toObject()["Channel1"].toObject()["Color"].toArray(), (QJsonArray{1, 2.5, 255})) << json;
  const QJsonObject last = keys[3].toObject();
  EXPECT_EQ(last["Crop"].toArray(), (QJsonArray{1, 2, 3, 4, 5, 6})) << json;
  EXPECT_EQ(last["ClipPlane"].toArray(), (QJsonArray{0.5, 0, 1, 3})) << json;
  EXPECT_EQ(last["IsoLevel"].toArray().first().toDouble(), 7) << json;
  EXPECT_EQ(std::tuple(last["RenderMode"].toString(), last["Projection"].toString(), last["Attenuation"].toDouble(),
                       last["Quality"].toDouble(), last["frame"].toInt()),
            std::tuple(QString("attenuated"), QString("orthographic"), 0.25, 0.75, 12))
      << json;
  const KeyframeTrack again = Parse(json);
  EXPECT_EQ(again.Keys, track.Keys);
  EXPECT_EQ(again.Fps, 12.5);
  EXPECT_EQ(again.Width * 1000 + again.Height, 320200);
}

class AnimationMovies : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(offscreen.viewer.OpenAndRun(lumetrix::testing::Stack(dir, "stack.tif", 12)));
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      if (e.path().extension() != ".tif") names.push_back(e.path().filename().string());
    return names;
  }
  // One MD5 line per decoded frame, from FFmpeg.
  static std::string DecodedFrames(const std::string& movie) {
    std::string out;
    FILE* pipe = popen(("ffmpeg -v error -i '" + movie + "' -f framemd5 - 2>&1 | grep -v '^#'").c_str(), "r");
    char line[512];
    while (pipe && fgets(line, sizeof line, pipe)) out += line;
    if (pipe) pclose(pipe);
    return out;
  }

  test_support::TempDir dir;
  OffscreenViewer offscreen;
  // The crop closes in from the whole volume, the plane turns and goes off, the iso level leaves the middle.
  KeyframeTrack track = Parse(
      R"({"size":[64,48],"keyframes":[{"frame":0,"YRot":20,"PosZ":-4,"RenderMode":"volume","Projection":"ortho",
           "ClipPlane":[1,0,0,20]},
          {"frame":6,"YRot":250,"XRot":30,"Ease":"inout","Color":[0.9,0.4,0.1],"RenderMode":"iso",
           "Crop":[4,28,2,20,1,10],"ClipPlane":[1,0.5,0,12],"Attenuation":0.5,"Quality":0.8,"IsoLevel":[120]},
          {"frame":11,"YRot":-30,"LightOn":true,"PosX":0.3,"RenderMode":"mip","Projection":"perspective",
           "ClipOn":false,"IsoLevel":[60]}]})");
};

TEST_F(AnimationMovies, ACancelledMovieLeavesNothing) {
  MovieRequest request;
  request.Path = dir.File("cancelled.mp4");
  request.Progress = [](int32_t frame, int32_t) { return frame < 4; };
  EXPECT_EQ(RenderMovie(offscreen.viewer, track, request).Status, MovieStatus::Cancelled);
  EXPECT_EQ(Files(), std::vector<std::string>{});
}

TEST_F(AnimationMovies, NothingIsRecordedWithoutAVolumeOnScreen) {
  offscreen.viewer.CloseVolume();
  MovieRequest request;
  request.Path = dir.File("closed.mp4");
  const MovieResult result = RenderMovie(offscreen.viewer, track, request);
  EXPECT_EQ(result.Error, "First open image");
  // A script stops as well, and its movie is not kept.
  std::ofstream(dir.File("record.scp")) << "Sub Main\n AVIStart \"" << dir.File("script.mp4")
                                        << "\", 25, 64, 48\n DrawImage\n AVIAdd\n AVIend\nEnd Sub\n";
  std::string error;
  EXPECT_FALSE(offscreen.viewer.RunScriptFile(dir.File("record.scp"), error));
  EXPECT_NE(error.find("First open image"), std::string::npos) << error;
  EXPECT_EQ(Files(), std::vector<std::string>{"record.scp"});
}

TEST_F(AnimationMovies, APlaneWhoseNormalTurnsThroughZeroIsRefusedBeforeAnyFrame) {
  // Keyframes as the Animation window makes them from the view, not read from a file.
  KeyframeTrack turned = track;
  turned.Keys[1].View.Clip = {true, {0, 0, 1, 4}};
  turned.Keys[2].View.Clip = {true, {0, 0, -2, 4}};  // [0, 0, 0] half-way
  MovieRequest request;
  request.Path = dir.File("turned.mp4");
  const MovieResult result = RenderMovie(offscreen.viewer, turned, request);
  EXPECT_EQ(result.Status, MovieStatus::Failed);
  EXPECT_NE(result.Error.find("Keyframe 3 (frame 11): the clipping plane's normal turns through zero"), std::string::npos)
      << result.Error;
  std::string error;
  EXPECT_FALSE(TrackForVolume(offscreen.viewer, turned, error));  // nor is a script written
  EXPECT_EQ(Files(), std::vector<std::string>{});
  turned.Keys[2].View.Clip = {true, {0, 1, -2, 4}};  // turning, but never through zero
  EXPECT_TRUE(TrackForVolume(offscreen.viewer, turned, error)) << error;
  // A palette the Palette menu lacks is told once (standard error without a window) and dropped,
  // so the frames keep the palette before it.
  turned.Keys[0].Palette = "Fire";
  turned.Keys[1].Palette = turned.Keys[2].Palette = "Nonesuch";
  ::testing::internal::CaptureStderr();
  const auto resolved = TrackForVolume(offscreen.viewer, turned, error);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Unknown palette \"Nonesuch\": the palette stays as it was\n");
  ASSERT_TRUE(resolved) << error;
  EXPECT_EQ(std::pair(resolved->At(0).Palette, resolved->At(11).Palette), std::pair(std::string("Fire"), std::string()));
}

TEST_F(AnimationMovies, TheSavedScriptRecordsTheSameFrames) {
  MovieRequest request;
  request.Path = dir.File("keys.mp4");
  ASSERT_EQ(RenderMovie(offscreen.viewer, track, request).Status, MovieStatus::Written);
  std::string reason;
  const std::string script = KeyframeScript(*TrackForVolume(offscreen.viewer, track, reason), dir.File("script.mp4"));
  // The Singles of the keyframe file as typed there, not as the doubles they hold (0.4000000059604645).
  EXPECT_NE(script.find("Call SetColor(0.9, 0.4, 0.1)"), std::string::npos) << script;
  EXPECT_NE(script.find("Call SetQuality(0.8)"), std::string::npos) << script;
  std::ofstream(dir.File("keys.scp")) << script;
  std::string error;
  ASSERT_TRUE(offscreen.viewer.RunScriptFile(dir.File("keys.scp"), error)) << error;
  const std::string movie = DecodedFrames(dir.File("keys.mp4"));
  EXPECT_EQ(std::count(movie.begin(), movie.end(), '\n'), 12) << movie;
  EXPECT_EQ(DecodedFrames(dir.File("script.mp4")), movie);
}

TEST_F(AnimationMovies, ChannelKeysRecordTheSameFramesFromTheSavedScript) {
  std::string reason;
  ASSERT_TRUE(offscreen.viewer.OpenImage(
      lumetrix::testing::Stack(dir, "rgb.tif", 12, 32, 24, test_support::TiffSamples::kRgb8), reason))
      << reason;
  const KeyframeTrack channels = Parse(
      R"({"size":[64,48],"keyframes":[{"frame":0,"YRot":20,"Channel1":{"Color":[255,0,0],"Gamma":1}},
          {"frame":5,"YRot":60,"Channel1":{"Color":[0,127,255],"Gamma":0.5},"Channel2":{"Range":[40,200]},"Ease":"inout"},
          {"frame":9,"Channel3":{"Visible":false}}]})");
  const DisplaySettings before = offscreen.viewer.Display();
  // Intra-coded frames (MJPEG in AVI): x264's first encoder in a process may code the same
  // pictures differently from later ones, so H.264 decodes cannot be compared across movies.
  MovieRequest request;
  request.Path = dir.File("channels.avi");
  ASSERT_EQ(RenderMovie(offscreen.viewer, channels, request).Status, MovieStatus::Written);
  EXPECT_EQ(offscreen.viewer.Display(), before);  // put back after the movie
  const std::string movie = DecodedFrames(dir.File("channels.avi"));
  EXPECT_EQ(std::count(movie.begin(), movie.end(), '\n'), 10) << movie;
  // Its frames after the first are not those without the channel keys.
  KeyframeTrack plain = channels;
  for (Keyframe& k : plain.Keys) k.Channels.clear();
  request.Path = dir.File("plain.avi");
  ASSERT_EQ(RenderMovie(offscreen.viewer, plain, request).Status, MovieStatus::Written);
  const std::string without = DecodedFrames(dir.File("plain.avi"));
  EXPECT_NE(without.substr(without.find('\n') + 1), movie.substr(movie.find('\n') + 1));

  std::ofstream(dir.File("channels.scp")) << KeyframeScript(*TrackForVolume(offscreen.viewer, channels, reason),
                                                            dir.File("script.avi"));
  std::string error;
  ASSERT_TRUE(offscreen.viewer.RunScriptFile(dir.File("channels.scp"), error)) << error;
  EXPECT_EQ(DecodedFrames(dir.File("script.avi")), movie);
}

}  // namespace
}  // namespace lumetrix::animation
