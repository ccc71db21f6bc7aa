// Microscope files written by an independent writer (Python's tifffile) and hand-built hostile
// files, read end to end through ReadVolume.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "imaging/hyperstack_layout.h"
#include "tests/support/tiff_fixture.h"
#include "viewer/channel_display.h"
#include "viewer/hyperstack_view.h"
#include "viewer/volume_loader.h"

namespace lumetrix {
namespace {

using test_support::TempDir;

// Writes `out` with tifffile; `make` is Python that defines `data` (axes order as named in the
// case) and calls the writer. The sample of (t, z, c, y, x) is f(t, z, c, y, x) in both languages.
void WriteWithTifffile(const std::string& out, const std::string& make) {
  const std::string script = "import numpy as np, tifffile\n"
                             "t,z,c,y,x = np.ogrid[0:4,0:5,0:3,0:6,0:7]\n"
                             "f = (t*50 + z*7 + c*90 + y*3 + x) % 251\n"
                             "out = '" + out + "'\n" + make + "\n";
  const std::string py = out + ".py";
  std::ofstream(py) << script;
  ASSERT_EQ(std::system(("/usr/bin/python3 " + py).c_str()), 0) << script;
}
int F(int t, int z, int c, int y, int x) { return (t * 50 + z * 7 + c * 90 + y * 3 + x) % 251; }

std::optional<VolumeData> Read(const std::string& path, std::string& error) {
  imaging::ImageBox image;
  NullProgress progress;
  return ReadVolume(path, image, progress, error);
}

TEST(HyperstackFiles, ChannelsTimeAndVoxelSizeFollowTheFilesMetadata) {
  struct Case {
    const char* name;
    const char* make;  // Python
    int channels, slices, frames, bits;
    double voxel[3];
    int scale;  // stored sample = F * scale
  };
  const Case cases[] = {
      {"imagej TZCYX 8-bit", "tifffile.imwrite(out, f[:2,:3,:2].astype('u1'), imagej=True, resolution=(2.0, 2.0),"
       " metadata={'axes':'TZCYX','spacing':2.0,'unit':'um'})", 2, 3, 2, 8, {0.5, 0.5, 2}, 1},
      {"imagej ZCYX 16-bit deflate", "tifffile.imwrite(out, (f[0,:4,:3]*200).astype('u2'), imagej=True,"
       " compression='zlib', metadata={'axes':'ZCYX'})", 3, 4, 1, 16, {0, 0, 0}, 200},
      {"ome CZYX (pages Z fastest)", "tifffile.imwrite(out, f[0,:5,:2].transpose(1,0,2,3).astype('u1'), ome=True,"
       " metadata={'axes':'CZYX','PhysicalSizeX':0.25,'PhysicalSizeY':0.25,'PhysicalSizeZ':1.5})",
       2, 5, 1, 8, {0.25, 0.25, 1.5}, 1},
      {"ome TZYX 16-bit, nm", "tifffile.imwrite(out, (f[:3,:2,0]*100).astype('u2'), ome=True,"
       " metadata={'axes':'TZYX','PhysicalSizeX':80,'PhysicalSizeXUnit':'nm','PhysicalSizeY':80,"
       "'PhysicalSizeYUnit':'nm','PhysicalSizeZ':0.3,'PhysicalSizeZUnit':'\\u00b5m'})", 1, 2, 3, 16, {80, 80, 300}, 100},
      // The resolution tags through libtiff: 10000 um per cm / 1000 = 10, / 500 = 20; 25400 um per inch / 254 = 100.
      {"plain, pixels per centimetre", "tifffile.imwrite(out, f[0,:3,0].astype('u1'), resolution=(1000, 500), photometric='minisblack',"
       " resolutionunit='CENTIMETER', metadata=None)", 1, 3, 1, 8, {10, 20, 0}, 1},
      {"plain, pixels per inch", "tifffile.imwrite(out, f[0,:3,0].astype('u1'), resolution=(254, 254), photometric='minisblack',"
       " resolutionunit='INCH', metadata=None)", 1, 3, 1, 8, {100, 100, 0}, 1},
      {"reduced-resolution page after every page", "w = tifffile.TiffWriter(out)\n"
       "for i in range(4):\n  w.write(f[0,i,0].astype('u1'), contiguous=False)\n"
       "  w.write(np.zeros((3,3),'u1'), subfiletype=1, contiguous=False)\nw.close()", 1, 4, 1, 8, {0, 0, 0}, 1},
      {"pyramid in SubIFDs", "w = tifffile.TiffWriter(out)\nfor i in range(3):\n  w.write(f[0,i,0].astype('u1'), subifds=1)\n"
       "  w.write(f[0,i,0,::2,::2].astype('u1'), subfiletype=1)\nw.close()", 1, 3, 1, 8, {0, 0, 0}, 1},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File("h.tif");
    WriteWithTifffile(path, c.make);
    std::string error;
    const auto v = Read(path, error);
    ASSERT_TRUE(v) << error;
    EXPECT_EQ(std::tuple(v->Width, v->Height, v->Depth, v->FileChannels, v->TimePoints, v->ChannelBits),
              std::tuple(7, 6, c.slices, c.channels, c.frames, c.bits));
    EXPECT_EQ(v->IsGrey, c.channels == 1);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(v->Voxel[i], c.voxel[i], 1e-6 * c.voxel[i]) << i;
    EXPECT_EQ(v->VoxelUnit, c.voxel[0] == 0 ? "" : c.voxel[0] == 80 ? "nm" : "\xC2\xB5m");
    EXPECT_TRUE(v->Note.empty()) << v->Note;
    const imaging::Hyperstack* s = v->Stack.get();
    ASSERT_EQ(s != nullptr, c.channels > 1 || c.frames > 1 || c.bits > 8);
    for (int t = 0; t < c.frames; ++t)
      for (int z = 0; z < c.slices; ++z)
        for (int ch = 0; ch < c.channels; ++ch)
          for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 7; ++x) {
              if (s) {
                ASSERT_EQ(s->At(ch, z, t, x, y), uint32_t(F(t, z, ch, y, x) * c.scale)) << t << z << ch << y << x;
              }
            }
    // 8 bits at time point 1: one channel as it is; channels 1, 2, 3 green, magenta, cyan added.
    constexpr int kShares[3][3] = {{0, 1, 0}, {1, 0, 1}, {0, 1, 1}};  // [colour][channel]
    for (int z = 0; c.bits == 8 && z < c.slices; ++z)
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x)
          for (int k = 0; k < v->Channels(); ++k) {
            int sum = 0;
            for (int ch = 0; ch < c.channels; ++ch) sum += c.channels == 1 ? F(0, z, 0, y, x) : kShares[k][ch] * F(0, z, ch, y, x);
            ASSERT_EQ(v->At(z, x, y, k), std::min(sum, 255)) << z << y << x << k;
          }
  }
}

// Every unit spelling the readers accept, on every axis, with the voxel size worked by hand.
// ImageJ: pixels per unit in the resolution tags (unit "none"), slice spacing in the unit.
// OME: one unit per axis, Y and Z converted to X's. TIFF alone: pixels per inch or centimetre.
TEST(HyperstackFiles, EveryUnitOnEveryAxis) {
  const std::string mu = "\xC2\xB5m";  // micro sign
  const auto imagej = [](const std::string& unit) {
    return "ImageJ=1.11a\nimages=4\nslices=4\nunit=" + unit + "\nspacing=3\n";
  };
  // X = 2 x, Y = 500 nm, Z = 0.004 mm.
  const auto ome_x = [](const std::string& unit) {
    return "<OME><Image><Pixels DimensionOrder=\"XYZCT\" SizeC=\"1\" SizeZ=\"4\" SizeT=\"1\" PhysicalSizeX=\"2\" "
           "PhysicalSizeXUnit=\"" + unit + "\" PhysicalSizeY=\"500\" PhysicalSizeYUnit=\"nm\" PhysicalSizeZ=\"0.004\" "
           "PhysicalSizeZUnit=\"mm\"/></Image></OME>";
  };
  // X = 0.5 um, Y = 1 y, Z = 2 z.
  const auto ome_yz = [](const std::string& y, const std::string& z) {
    return "<OME><Image><Pixels DimensionOrder=\"XYZCT\" SizeC=\"1\" SizeZ=\"4\" SizeT=\"1\" PhysicalSizeX=\"0.5\" "
           "PhysicalSizeXUnit=\"um\" PhysicalSizeY=\"1\" PhysicalSizeYUnit=\"" + y + "\" PhysicalSizeZ=\"2\" "
           "PhysicalSizeZUnit=\"" + z + "\"/></Image></OME>";
  };
  struct Case {
    std::string description;
    int resolution_unit;  // TIFF: 1 none, 2 inch, 3 centimetre
    double x_resolution, y_resolution;
    double voxel[3];
    std::string unit;
  };
  const Case cases[] = {
      // ImageJ: 4 and 2 pixels per unit -> 1/4 and 1/2; spacing 3.
      {imagej("micron"), 1, 4, 2, {0.25, 0.5, 3}, mu},
      {imagej("microns"), 1, 4, 2, {0.25, 0.5, 3}, mu},
      {imagej("um"), 1, 4, 2, {0.25, 0.5, 3}, mu},
      {imagej(" um "), 1, 4, 2, {0.25, 0.5, 3}, mu},
      {imagej("\\u00B5m"), 1, 4, 2, {0.25, 0.5, 3}, mu},  // the escape as ImageJ writes it
      {imagej(mu), 1, 4, 2, {0.25, 0.5, 3}, mu},
      {imagej("\xCE\xBCm"), 1, 4, 2, {0.25, 0.5, 3}, mu},  // Greek mu
      {imagej("\xB5m"), 1, 4, 2, {0.25, 0.5, 3}, mu},      // Latin-1 micro sign
      {imagej("nm"), 1, 4, 2, {0.25, 0.5, 3}, "nm"},
      {imagej("nanometer"), 1, 4, 2, {0.25, 0.5, 3}, "nm"},
      {imagej("nanometers"), 1, 4, 2, {0.25, 0.5, 3}, "nm"},
      {imagej("mm"), 1, 4, 2, {0.25, 0.5, 3}, "mm"},
      {imagej("cm"), 1, 4, 2, {0.25, 0.5, 3}, "cm"},
      {imagej("m"), 1, 4, 2, {0.25, 0.5, 3}, "m"},
      {imagej("pixel"), 1, 4, 2, {0.25, 0.5, 3}, "pixel"},
      {imagej("pixels"), 1, 4, 2, {0.25, 0.5, 3}, "pixel"},
      {"ImageJ=1.11a\nimages=4\nslices=4\nunit=um\n", 1, 4, 2, {0.25, 0.5, 0}, mu},  // no spacing
      // Pixels per centimetre with an ImageJ unit: X and Y in um (10000 / 10000, 10000 / 5000), the
      // spacing converted from the description's unit: 300 nm = 0.3 um, 0.0004 cm = 4 um.
      {imagej("um"), 3, 10000, 5000, {1, 2, 3}, mu},
      {"ImageJ=1.11a\nimages=4\nslices=4\nunit=nm\nspacing=300\n", 3, 10000, 5000, {1, 2, 0.3}, mu},
      {"ImageJ=1.11a\nimages=4\nslices=4\nunit=cm\nspacing=0.0004\n", 3, 10000, 5000, {1, 2, 4}, mu},
      // TIFF alone: 25400 um per inch / 254 = 100, / 127 = 200; 10000 um per cm / 10000 = 1, / 5000 = 2.
      {"", 2, 254, 127, {100, 200, 0}, mu},
      {"", 3, 10000, 5000, {1, 2, 0}, mu},
      {"", 1, 4, 2, {0, 0, 0}, ""},
      // OME, each unit on X: Y = 500 nm and Z = 0.004 mm in X's unit.
      {ome_x(mu), 1, 0, 0, {2, 0.5, 4}, mu},
      {ome_x("\xCE\xBCm"), 1, 0, 0, {2, 0.5, 4}, mu},
      {ome_x("um"), 1, 0, 0, {2, 0.5, 4}, mu},
      {ome_x("nm"), 1, 0, 0, {2, 500, 4000}, "nm"},
      {ome_x("mm"), 1, 0, 0, {2, 0.0005, 0.004}, "mm"},
      {ome_x("cm"), 1, 0, 0, {2, 0.00005, 0.0004}, "cm"},
      {ome_x("m"), 1, 0, 0, {2, 5e-7, 4e-6}, "m"},
      // OME, each unit on Y and Z under X = 0.5 um: 1 nm = 0.001 um, 1 mm = 1000 um, 1 cm = 10^4 um, 1 m = 10^6 um.
      {ome_yz(mu, "\xCE\xBCm"), 1, 0, 0, {0.5, 1, 2}, mu},
      {ome_yz("um", mu), 1, 0, 0, {0.5, 1, 2}, mu},
      {ome_yz("nm", "nm"), 1, 0, 0, {0.5, 0.001, 0.002}, mu},
      {ome_yz("mm", "cm"), 1, 0, 0, {0.5, 1000, 20000}, mu},
      {ome_yz("cm", "m"), 1, 0, 0, {0.5, 10000, 2000000}, mu},
      {ome_yz("m", "mm"), 1, 0, 0, {0.5, 1000000, 2000}, mu},
      // No unit attributes: micrometres, OME's default.
      {"<OME><Image><Pixels DimensionOrder=\"XYZCT\" SizeC=\"1\" SizeZ=\"4\" SizeT=\"1\" PhysicalSizeX=\"0.5\" "
       "PhysicalSizeY=\"0.75\" PhysicalSizeZ=\"2\"/></Image></OME>", 1, 0, 0, {0.5, 0.75, 2}, mu},
      {"<OME><Image><Pixels DimensionOrder=\"XYZCT\" SizeC=\"1\" SizeZ=\"4\" SizeT=\"1\" PhysicalSizeX=\"1\" "
       "PhysicalSizeXUnit=\"pixel\" PhysicalSizeY=\"1\" PhysicalSizeYUnit=\"pixel\" PhysicalSizeZ=\"2\" "
       "PhysicalSizeZUnit=\"pixel\"/></Image></OME>", 1, 0, 0, {1, 1, 2}, "pixel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description + " resolution unit " + std::to_string(c.resolution_unit));
    imaging::StackFacts facts;
    facts.pages = 4, facts.width = 7, facts.height = 6;
    facts.description = c.description;
    facts.resolution_unit = c.resolution_unit;
    facts.x_resolution = c.x_resolution, facts.y_resolution = c.y_resolution;
    const imaging::HyperstackLayout l = imaging::ResolveLayout(facts, "u.tif");
    EXPECT_EQ(l.note, "");
    EXPECT_EQ(l.slices, 4);
    // Relative 1e-12: the conversions multiply by inexact powers of ten (1e-9 / 1e-6 ...).
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(l.voxel[i], c.voxel[i], 1e-12 * c.voxel[i]) << "axis " << i;
    EXPECT_EQ(l.unit, c.unit);
  }
  // Units that cannot be read or compared are refused, named.
  for (const auto& [description, note] : std::vector<std::pair<std::string, std::string>>{
           {imagej("furlong"), "unknown unit \"furlong\""},
           {ome_x("\xC3\x85"), "unknown unit"},  // angstrom, not among the accepted
           {ome_yz("pixel", "um"), "mixes units"}}) {
    imaging::StackFacts facts;
    facts.pages = 4, facts.width = 7, facts.height = 6, facts.description = description, facts.resolution_unit = 1;
    EXPECT_NE(imaging::ResolveLayout(facts, "u.tif").note.find(note), std::string::npos) << description;
  }
}

TEST(HyperstackFiles, EveryCodecAndTilingOfLibtiffKeepsTheHyperstack) {
  // tiffcp (libtiff's own tool) re-encodes an ImageJ hyperstack of 16-bit samples, keeping its
  // description; the samples must come back exactly.
  TempDir dir;
  const std::string source = dir.File("source.tif");
  WriteWithTifffile(source, "tifffile.imwrite(out, (f[:2,:3,:2]*211).astype('u2'), imagej=True, metadata={'axes':'TZCYX'})");
  for (const char* options : {"-c lzw:2", "-c zip", "-c zstd", "-c lzma", "-c packbits", "-c none -t -w 16 -l 16",
                              "-c lzw -r 1", "-B -c zip"}) {
    SCOPED_TRACE(options);
    const std::string path = dir.File("coded.tif");
    ASSERT_EQ(std::system(("tiffcp " + std::string(options) + " " + source + " " + path).c_str()), 0);
    std::string error;
    const auto v = Read(path, error);
    ASSERT_TRUE(v && v->Stack) << error;
    ASSERT_EQ(std::tuple(v->Depth, v->FileChannels, v->TimePoints, v->ChannelBits), std::tuple(3, 2, 2, 16));
    for (int t = 0; t < 2; ++t)
      for (int z = 0; z < 3; ++z)
        for (int c = 0; c < 2; ++c) ASSERT_EQ(v->Stack->At(c, z, t, 6, 5), uint32_t(F(t, z, c, 5, 6) * 211));
  }
}

// Float samples are held as 16 bits over their range, int16 ones shifted by 32768; auto contrast
// and display ranges are in stored values. F is 0..125 here, so the files hold -1.5..3.25 and
// -1000..2000; channel 1 spans F 0..35 (z 2, y 5, x 6) and its 126 samples cut none at the ends.
TEST(HyperstackFiles, FloatAndSignedSamplesShowInTheirStoredValues) {
  const struct {
    const char *dtype, *type;
    double step, offset, min, max;  // stored = F * step + offset; a display range
  } cases[] = {{"f4", "32-bit float", 0.038, -1.5, 0.0, 2.5}, {"i2", "16-bit signed", 24, -1000, -200, 1000}};
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    const std::string path = dir.File(std::string(c.dtype) + ".tif");
    WriteWithTifffile(path, "tifffile.imwrite(out, (f[0,:3,:2] * " + std::to_string(c.step) + " + (" + std::to_string(c.offset) +
                                ")).astype('" + c.dtype + "'), imagej=True, metadata={'axes':'ZCYX'})");
    std::string error;
    auto v = Read(path, error);
    ASSERT_TRUE(v && v->Stack) << error;
    ASSERT_EQ(std::tuple(v->FileChannels, v->ChannelBits, v->Values.TypeName()), std::tuple(2, 16, std::string(c.type)));
    const double half_step = c.dtype[0] == 'f' ? 4.75 / 65535 / 2 + 1e-6 : 0;  // float: 16-bit steps over 4.75
    const auto [lo, hi] = AutoRange(*v->Stack, 0, 0);
    EXPECT_NEAR(lo, c.offset, half_step);
    EXPECT_NEAR(hi, 35 * c.step + c.offset, half_step);
    v->Display.Channels[0].Min = c.min, v->Display.Channels[0].Max = c.max;
    ShowChannels(*v);  // channel 1 is green: level 255 * (stored - min) / (max - min), clamped
    for (int z = 0; z < 3; ++z)
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x) {
          const double stored = F(0, z, 0, y, x) * c.step + c.offset;
          ASSERT_NEAR(v->At(z, x, y, 1), std::clamp((stored - c.min) * 255 / (c.max - c.min), 0.0, 255.0), 0.51)
              << z << " " << x << " " << y;  // rounded to a level; a half step is under 0.01 of one
        }
  }
}

// Zeiss LSM files made with tifffile and the published CZ_LSMINFO layout (write_lsm.py): samples
// F (times 211 at 16 bits), thumbnails after every page, voxel sizes in metres; the first file's
// BitsPerSample lies apart from its entry, as old writers put it (libtiff alone refuses that).
std::string WriteLsm(const TempDir& dir, const std::string& json) {
  const std::string path = dir.File("z.lsm");
  std::remove(path.c_str());
  EXPECT_EQ(std::system(("/usr/bin/python3 " LUMETRIX_SOURCE_DIR "/tests/viewer/write_lsm.py " + path + " '" + json + "'").c_str()), 0);
  return path;
}

TEST(HyperstackFiles, ZeissLsmChannelsAsSamplesTimePointsVoxelSizeAndColours) {
  const struct {
    const char* json;
    int channels, slices, frames, bits;
    double voxel[3];  // micrometres
  } cases[] = {
      {R"("z":3,"c":2,"t":1,"old_bits":1,"voxel":[2e-7,2e-7,1e-6],"colours":[[255,0,0],[0,255,0]],"names":["A","BB"]})",
       2, 3, 1, 8, {0.2, 0.2, 1}},
      {R"("z":2,"c":3,"t":4,"bits":16,"voxel":[1e-7,1.5e-7,5e-7],"colours":[[255,0,0],[0,255,0],[9,8,7]],"names":["A","BB","C"]})",
       3, 2, 4, 16, {0.1, 0.15, 0.5}},
      {R"("z":1,"c":1,"t":3})", 1, 1, 3, 8, {0, 0, 0}},
  };
  const std::tuple<std::string, int, int, int> looks[3] = {{"A", 255, 0, 0}, {"BB", 0, 255, 0}, {"C", 9, 8, 7}};
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.json);
    std::string error;
    const auto v = Read(WriteLsm(dir, std::string(R"({"width":7,"height":6,)") + c.json), error);
    ASSERT_TRUE(v && v->Stack) << error;
    EXPECT_EQ(std::tuple(v->Width, v->Height, v->Depth, v->FileChannels, v->TimePoints, v->ChannelBits, v->IsRgb, v->Note),
              std::tuple(7, 6, c.slices, c.channels, c.frames, c.bits, false, std::string()));
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(v->Voxel[i], c.voxel[i], 1e-9) << i;
    ASSERT_EQ(v->Stack->looks.size(), c.channels > 1 ? size_t(c.channels) : 0);
    for (size_t k = 0; const imaging::ChannelLook& l : v->Stack->looks) EXPECT_EQ(std::tuple(l.name, l.red, l.green, l.blue), looks[k++]);
    for (int t = 0; t < c.frames; ++t)
      for (int z = 0; z < c.slices; ++z)
        for (int ch = 0; ch < c.channels; ++ch)
          for (int i = 0; i < 42; ++i)
            ASSERT_EQ(v->Stack->At(ch, z, t, i % 7, i / 7), uint32_t(F(t, z, ch, i / 7, i % 7) * (c.bits == 16 ? 211 : 1)));
  }
  // Damaged CZ_LSMINFO of a file of 3 pages of 2 channels: refused with a sentence before
  // anything large is allocated, or opened with a note when only the colours are out of reach.
  const std::pair<const char*, const char*> damaged[] = {
      {R"("info_at":99999999)", "information (tag 34412) lies beyond the end of the file"},
      {R"("dims":[7,6,2147483647,2,1])", "counts 2147483647 slices x 1 time points, but the file holds 3 pages"},
      {R"("dims":[7,6,3,3,1])", "gives 3 channels, but its pages hold 2 samples per pixel"},
      {R"("dims":[7,6,3,2000000000,1])", "gives 2000000000 channels; at most 8 are read"},
      {R"("dims":[70000,6,3,2,1])", "gives planes of 70000 x 6 pixels, but its pages are 7 x 6"},
      {R"("colours_at":99999999)", "its Zeiss LSM channel colours lie beyond the end of the file"},
  };
  for (const auto& [damage, words] : damaged) {
    std::string error;
    const auto v = Read(WriteLsm(dir, std::string(R"({"width":7,"height":6,"z":3,"c":2,"t":1,"colours":[[1,2,3],[4,5,6]],"names":["a","b"],)") + damage + "}"), error);
    EXPECT_NE((v ? v->Note : error).find(words), std::string::npos) << damage << ": " << (v ? v->Note : error);
    EXPECT_EQ(v.has_value(), damage == damaged[5].first);
  }
}

TEST(HyperstackFiles, ImageJChannelRangesAndColoursAreKept) {
  TempDir dir;
  const std::string path = dir.File("luts.tif");
  WriteWithTifffile(path, "ramp = np.arange(256, dtype='u1'); zero = np.zeros(256, 'u1')\n"
                          "tifffile.imwrite(out, f[0,:2,:2].astype('u1'), imagej=True, metadata={'axes':'ZCYX',"
                          " 'Ranges':(3.0,100.0,5.0,200.0), 'LUTs':[np.stack([zero,ramp,ramp]), np.stack([ramp,zero,ramp//2])]})");
  std::string error;
  const auto v = Read(path, error);
  ASSERT_TRUE(v && v->Stack) << error;
  const auto& looks = v->Stack->looks;
  ASSERT_EQ(looks.size(), 2u);
  EXPECT_EQ(std::tuple(looks[0].min, looks[0].max, looks[0].red, looks[0].green, looks[0].blue),
            std::tuple(3.0, 100.0, 0, 255, 255));
  EXPECT_EQ(std::tuple(looks[1].min, looks[1].max, looks[1].red, looks[1].green, looks[1].blue),
            std::tuple(5.0, 200.0, 255, 0, 127));
}

TEST(HyperstackFiles, MetadataThatContradictsTheFileFallsBackToOnePagePerSlice) {
  const struct {
    const char* description;
    const char* note;
  } cases[] = {
      {"ImageJ=1.11a\\nimages=5\\nslices=5\\n", "counts 5 images but the file holds 6 pages"},
      {"ImageJ=1.11a\\nimages=6\\nchannels=4\\nslices=2\\n", "4 channels x 2 slices x 1 frame"},
      {"ImageJ=1.11a\\nimages=6\\nchannels=-2\\n", "impossible"},
      {"ImageJ=1.11a\\nimages=6\\nslices=6\\nunit=furlong\\n", "unknown unit"},
      {"<OME><Image><Pixels DimensionOrder=\\'XYCZT\\' SizeC=\\'1000000000\\' SizeZ=\\'1000000000\\' SizeT=\\'1000000000\\'>",
       "describes more than 9 x 10^18 planes"},
      {"<OME><Image><Pixels DimensionOrder=\\'XYCZT\\' SizeX=\\'9\\' SizeY=\\'6\\' SizeC=\\'2\\' SizeZ=\\'3\\' SizeT=\\'1\\'>",
       "plane size of 9 x 6"},
      {"<OME><Image><Pixels DimensionOrder=\\'XYCZ\\' SizeC=\\'2\\' SizeZ=\\'3\\' SizeT=\\'1\\'>", "DimensionOrder"},
      {"<OME><Image><Pixels DimensionOrder=\\'XYCZT\\' SizeC=\\'2\\' SizeZ=\\'3\\' SizeT=\\'1\\' PhysicalSizeX=\\'-1\\'>",
       "impossible physical"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::string path = dir.File("bad.tif");
    WriteWithTifffile(path, std::string("tifffile.imwrite(out, f[0,:,0].astype('u1').repeat(2,0)[:6], description='") +
                                c.description + "', metadata=None)");
    std::string error;
    const auto v = Read(path, error);
    ASSERT_TRUE(v) << error;
    EXPECT_EQ(std::tuple(v->Depth, v->FileChannels, v->TimePoints), std::tuple(6, 1, 1));
    EXPECT_NE(v->Note.find("bad.tif"), std::string::npos) << v->Note;
    EXPECT_NE(v->Note.find(c.note), std::string::npos) << v->Note;
  }
}

TEST(HyperstackFiles, ImageJsLayoutForHugeStacksReadsEveryImageAfterTheOneDirectory) {
  // One directory, images=N, the other pages following the first page's data (big-endian, as
  // ImageJ writes); an acquisition stopped early holds fewer, and the rest are blank. The same
  // with a directory per page: 2 of 5 pages.
  TempDir dir;
  for (const int present : {5, 4, -2}) {
    const std::string path = dir.File("big.tif");
    const std::string pages = std::to_string(std::abs(present));
    WriteWithTifffile(path, "d = (f[0,:,0]*300).astype('>u2')\n" +
                                (present > 0 ? "tifffile.imwrite(out, d[0], byteorder='>', description='ImageJ=1.11a\\nimages=5\\nslices=5\\n',"
                                               " metadata=None)\nopen(out,'ab').write(d[1:" + pages + "].tobytes())"
                                             : "tifffile.imwrite(out, d[:" + pages + "], description='ImageJ=1.11a\\nimages=5\\nslices=5\\n',"
                                               " metadata=None)"));
    std::string error;
    const auto v = Read(path, error);
    ASSERT_TRUE(v) << error;
    ASSERT_EQ(v->Depth, 5) << v->Note;
    EXPECT_EQ(v->Note, present == 5 ? "" : "big.tif holds " + pages + " of the 5 images its ImageJ description counts; the others are blank.");
    for (int z = 0; z < v->Depth; ++z)
      EXPECT_EQ(v->Stack->At(0, z, 0, 6, 5), z < std::abs(present) ? uint32_t(F(0, z, 0, 5, 6) * 300) : 0u) << z;
  }
}

TEST(HyperstackFiles, TinyFilesDeclaringHugeImagesAreRefusedBeforeDecoding) {
  using test_support::RawTag;
  struct Case {
    const char* name;
    std::vector<RawTag> tags;
    int pages;
    const char* reason;
  };
  const std::vector<uint8_t> data(64, 0);
  // CCITT G4, 1 bit, 40000 x 40000 per page; tiles of 65536 x 32768 on a 16 x 16 image.
  const Case cases[] = {
      {"g4.tif", {{256, 4, {40000}}, {257, 4, {40000}}, {258, 3, {1}}, {259, 3, {4}}, {262, 3, {0}},
                  {273, 4, {0}}, {277, 3, {1}}, {278, 4, {40000}}, {279, 4, {64}}}, 14, "no real file"},
      {"tiles.tif", {{256, 4, {16}}, {257, 4, {16}}, {258, 3, {8}}, {259, 3, {1}}, {262, 3, {1}},
                     {277, 3, {1}}, {322, 4, {65536}}, {323, 4, {32768}}, {324, 4, {0}}, {325, 4, {64}}}, 1, "tiles"},
  };
  TempDir dir;
  std::vector<Case> all(std::begin(cases), std::end(cases));
  // CCITT RLE and T.4, LZMA, zstd, WebP, JBIG, LERC: the same huge pages in 64 bytes.
  for (uint32_t codec : {2u, 3u, 34925u, 50000u, 50001u, 34661u, 34887u}) {
    all.push_back(all[0]);
    all.back().tags[3].values = {codec};
  }
  for (const Case& c : all) {
    SCOPED_TRACE(c.tags[3].values[0]);
    test_support::WriteBytes(dir.File(c.name), test_support::BuildRawTiff(std::vector(c.pages, c.tags), data));
    std::string error;
    EXPECT_FALSE(Read(dir.File(c.name), error));
    EXPECT_NE(error.find(c.name), std::string::npos) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

// A sparse mask of 96 MB in a file of about 1.2 MB (80:1) is a real file, not a bomb.
TEST(HyperstackFiles, AMegabyteFileCompressedEightyToOneOpens) {
  TempDir dir;
  const std::string path = dir.File("mask.tif");
  WriteWithTifffile(path, "d = np.zeros((96, 1024, 1024), 'u1')\n"
                          "d[:, :110, :110] = np.random.default_rng(1).integers(1, 256, (96, 110, 110))\n"
                          "tifffile.imwrite(out, d, compression='zlib')");
  std::string error;
  const auto v = Read(path, error);
  ASSERT_TRUE(v) << error;
  EXPECT_EQ(v->Depth, 96);
}

// Two 16-bit channels: the start ranges leave 0.35 % of each channel's samples at either end
// (numpy's sorted samples are the oracle), then range, gamma, colour and visibility changes;
// numpy computes every expected byte.
TEST(HyperstackFiles, ChannelsShowThroughTheirRangeGammaAndColour) {
  TempDir dir;
  const std::string path = dir.File("two.tif"), expected = dir.File("expected.raw");
  WriteWithTifffile(path, "d = np.random.default_rng(5).gamma(2.0, 300.0, (4, 2, 6, 7)).astype('u2')\n"
                          "tifffile.imwrite(out, d, imagej=True, metadata={'axes':'ZCYX'})\n"
                          "def show(ranges, gammas, colours):\n"
                          "  rgb = np.zeros((3, 4, 6, 7))\n"
                          "  for c in range(2):\n"
                          "    lo, hi = ranges[c]; lev = 255 * np.clip((d[:, c].astype(float) - lo) / (hi - lo), 0, 1) ** gammas[c]\n"
                          "    for k in range(3): rgb[k] += lev * colours[c][k] / 255\n"
                          "  return np.minimum(255, np.floor(rgb + 0.5)).astype('u1')\n"
                          "n = d[:, 0].size; k = int(n * 0.0035)\n"
                          "auto = [(np.sort(d[:, c], None)[k], np.sort(d[:, c], None)[n - 1 - k]) for c in range(2)]\n"
                          "open(out + '.ranges', 'w').write(' '.join(str(int(x)) for r in auto for x in r))\n"
                          "open('" + expected + "', 'wb').write(show(auto, (1, 1), ((0,255,0), (255,0,255))).tobytes()"
                          " + show(((100, 900), auto[1]), (0.5, 2), ((0,255,0), (200,100,0))).tobytes()"
                          " + show(((100, 900), auto[1]), (0.5, 1), ((0,255,0), (0,0,0))).tobytes())");
  std::string error;
  auto v = Read(path, error);
  ASSERT_TRUE(v && v->Stack) << error;
  std::ifstream ranges_file(path + ".ranges");
  double ranges[4];
  for (double& r : ranges) ranges_file >> r;
  ASSERT_EQ(v->Display.Channels.size(), 2u);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(std::pair(v->Display.Channels[c].Min, v->Display.Channels[c].Max), std::pair(ranges[2 * c], ranges[2 * c + 1]));
  }
  std::ifstream bytes(expected, std::ios::binary);
  const std::vector<uint8_t> want((std::istreambuf_iterator<char>(bytes)), std::istreambuf_iterator<char>());
  ASSERT_EQ(want.size(), 3u * 3 * 4 * 6 * 7);
  for (int step = 0; step < 3; ++step) {
    ChannelDisplay &a = v->Display.Channels[0], &b = v->Display.Channels[1];
    if (step == 1) a.Min = 100, a.Max = 900, a.Gamma = 0.5, b.Gamma = 2, b.Red = 200, b.Green = 100, b.Blue = 0;
    if (step == 2) b.Visible = false, b.Gamma = 1;
    if (step > 0) ShowChannels(*v);
    for (int k = 0; k < 3; ++k)
      for (int z = 0; z < 4; ++z)
        for (int y = 0; y < 6; ++y)
          for (int x = 0; x < 7; ++x)
            ASSERT_EQ(v->At(z, x, y, k), want[(((step * 3 + k) * 4 + z) * 6 + y) * 7 + x]) << step << k << z << y << x;
  }
}

}  // namespace
}  // namespace lumetrix
