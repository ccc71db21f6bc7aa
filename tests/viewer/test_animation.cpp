// Keyframe animations: the frames between keyframes, and movies rendered from them, read back
// with FFmpeg's decoder.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

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

TEST(KeyframeFile, SavedFilesReadBackTheSameTrack) {
  const KeyframeTrack track = Parse(
      R"({"fps":12.5,"size":[320,200],"keyframes":[{"frame":0,"XRot":-12.3,"Color":[0.1,0.2,0.3]},
          {"frame":7,"YRot":400,"FullTurn":true,"Ease":"inout","LightOn":true,"Palette":"Ice","Transparency":0.7,
           "Channel3":{"Visible":false,"Range":[-5.5,4095]},"TimePoint":4},
          {"frame":9,"Channel1":{"Color":[1,2.5,255],"Gamma":0.45}},{"frame":12,"Palette":""}]})");
  EXPECT_EQ(track.Keys[3].Palette, "Ice");  // "" leaves the palette as it is
  ASSERT_EQ(track.Keys[2].Channels.size(), 3u);
  EXPECT_EQ(track.Keys[2].Channels[2].Given, ChannelKey::kVisible | ChannelKey::kRange);  // kept from before
  const KeyframeTrack again = Parse(KeyframesJson(track));
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
  KeyframeTrack track = Parse(
      R"({"size":[64,48],"keyframes":[{"frame":0,"YRot":20,"PosZ":-4},
          {"frame":6,"YRot":250,"XRot":30,"Ease":"inout","Color":[0.9,0.4,0.1]},
          {"frame":11,"YRot":-30,"LightOn":true,"PosX":0.3}]})");
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

TEST_F(AnimationMovies, TheSavedScriptRecordsTheSameFrames) {
  MovieRequest request;
  request.Path = dir.File("keys.mp4");
  ASSERT_EQ(RenderMovie(offscreen.viewer, track, request).Status, MovieStatus::Written);
  std::ofstream(dir.File("keys.scp")) << KeyframeScript(track, dir.File("script.mp4"));
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
  MovieRequest request;
  request.Path = dir.File("channels.mp4");
  ASSERT_EQ(RenderMovie(offscreen.viewer, channels, request).Status, MovieStatus::Written);
  EXPECT_EQ(offscreen.viewer.Display(), before);  // put back after the movie
  const std::string movie = DecodedFrames(dir.File("channels.mp4"));
  EXPECT_EQ(std::count(movie.begin(), movie.end(), '\n'), 10) << movie;
  // Its frames after the first are not those without the channel keys.
  KeyframeTrack plain = channels;
  for (Keyframe& k : plain.Keys) k.Channels.clear();
  request.Path = dir.File("plain.mp4");
  ASSERT_EQ(RenderMovie(offscreen.viewer, plain, request).Status, MovieStatus::Written);
  const std::string without = DecodedFrames(dir.File("plain.mp4"));
  EXPECT_NE(without.substr(without.find('\n') + 1), movie.substr(movie.find('\n') + 1));

  std::ofstream(dir.File("channels.scp")) << KeyframeScript(*TrackForVolume(offscreen.viewer, channels, reason),
                                                            dir.File("script.mp4"));
  std::string error;
  ASSERT_TRUE(offscreen.viewer.RunScriptFile(dir.File("channels.scp"), error)) << error;
  EXPECT_EQ(DecodedFrames(dir.File("script.mp4")), movie);
}

}  // namespace
}  // namespace lumetrix::animation
