#include "export/series/leica_conversion.h"

#include <sys/stat.h>

#include <new>
#include <vector>

#include "core/progress_scope.h"
#include "core/staged_file.h"
#include "export/series/conversion_errors.h"
#include "export/series/plane_extraction.h"
#include "export/series/tiff_folder.h"
#include "imaging/image_box.h"
#include "imaging/tiff_stack_writer.h"

namespace lumetrix::series {

namespace {

// The channels that end up in a colour: reading the others would be wasted work.
std::array<bool, kLeicaChannels> ChannelsToRead(const LeicaConversion& job) {
  std::array<bool, kLeicaChannels> read{};
  for (int source : job.Colours) {
    if (source >= 0 && source < kLeicaChannels && job.Channels[static_cast<size_t>(source)]) {
      read[static_cast<size_t>(source)] = true;
    }
  }
  return read;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

class PageWriter {
 public:
  explicit PageWriter(const std::string& path) : output_(path) {}
  void Write(int32_t width, int32_t height, const std::array<const std::vector<uint8_t>*, 3>& rgb) {
    box_.NewImage(width, height, 0, 0, 0);
    box_.ConvertDepth(24);
    box_.SetPlanes(*rgb[0], *rgb[1], *rgb[2]);
    output_.AddPage(box_);
  }
  void Commit() { output_.Commit(); }
  int32_t Pages() const { return output_.Pages(); }

 private:
  imaging::TiffStackWriter output_;
  imaging::ImageBox box_;
};

}  // namespace

LeicaConversion LeicaConversionFor(const SeriesRow& row, const std::string& folder,
                                   const std::array<bool, kLeicaChannels>& checked, const ColourSources& colours,
                                   const std::string& destination) {
  LeicaConversion job;
  job.Folder = folder;
  job.BaseName = row.BaseName;
  job.Colours = colours;
  job.Destination = destination;
  for (int c = 0; c < kLeicaChannels; ++c) job.Channels[static_cast<size_t>(c)] = checked[static_cast<size_t>(c)] && row.HasChannel(c);
  job.LastSlice = row.LastSliceOver(ChannelsToRead(job)).value_or(0);
  return job;
}

ConversionResult ConvertLeicaSeries(const LeicaConversion& job, ProgressSink* progress) {
  ConversionResult result;
  result.Destination = job.Destination;
  const std::array<bool, kLeicaChannels> read = ChannelsToRead(job);
  if (!read[0] && !read[1] && !read[2]) {
    result.Error = "None of the checked channels of " + job.BaseName + " goes into a colour";
    return result;
  }
  if (job.LastSlice < 0 || job.LastSlice > kLastLeicaSlice) {
    result.Error = "The series " + job.BaseName + " has no valid slice numbers";
    return result;
  }
  if (std::string problem = DestinationProblem(job.Destination); !problem.empty()) {
    result.Error = problem;
    return result;
  }
  if (Exists(job.Destination)) {
    for (int32_t z = 0; z <= job.LastSlice; ++z) {
      for (int c = 0; c < kLeicaChannels; ++c) {
        if (!read[static_cast<size_t>(c)]) continue;
        if (SameFile(JoinPath(job.Folder, LeicaSliceName(job.BaseName, z, c)), job.Destination)) {
          result.Error = BaseFileName(job.Destination) + " is one of the slices of " + job.BaseName +
                         "; choose another name";
          return result;
        }
      }
    }
  }
  const int32_t total = job.LastSlice + 1;
  ProgressScope scope(progress, "", total);
  imaging::ImageBox reader;
  std::array<std::vector<uint8_t>, kLeicaChannels> planes;
  std::vector<uint8_t> black;
  int32_t width = 0, height = 0;
  std::string size_from;
  // Slices before the first readable one: their pages are written black once the size is known,
  // so that page z stays slice z.
  int32_t blank_pages = 0;
  try {
    PageWriter writer(job.Destination);
    for (int32_t z = 0; z <= job.LastSlice; ++z) {
      for (int c = 0; c < kLeicaChannels; ++c) {
        std::vector<uint8_t>& plane = planes[static_cast<size_t>(c)];
        plane.clear();
        if (!read[static_cast<size_t>(c)]) continue;
        const std::string name = LeicaSliceName(job.BaseName, z, c);
        if (!reader.LoadPage(JoinPath(job.Folder, name), 0)) {
          if (result.UnreadableSlices++ == 0) {
            result.FirstUnreadable = name;
            result.FirstUnreadableReason = reader.LastError();
          }
          continue;
        }
        reader.ConvertDepth(24);
        const int32_t w = reader.ImageWidth(), h = reader.ImageHeight();
        if (width == 0) {
          width = w;
          height = h;
          size_from = name;
          black.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
        } else if (w != width || h != height) {
          result.Error = name + " is " + detail::SizeText(w, h) + ", unlike the " + detail::SizeText(width, height) +
                         " of " + size_from + "; all slices of a series must have the same size";
          return result;
        }
        ExtractPlane(reader.PixelBytes(), plane);
      }
      if (width == 0) {
        ++blank_pages;
      } else {
        const std::array<const std::vector<uint8_t>*, 3> none{&black, &black, &black};
        for (; blank_pages > 0; --blank_pages) writer.Write(width, height, none);
        writer.Write(width, height, MapChannels(planes, job.Colours, black));
      }
      scope.Step(z + 1);
      if (scope.Cancelled()) {
        result.Cancelled = true;
        return result;
      }
    }
    if (width == 0) {
      result.Error = "None of the slices of " + job.BaseName + " could be read (" + result.FirstUnreadable + ": " +
                     result.FirstUnreadableReason + ")";
      return result;
    }
    writer.Commit();
    result.Pages = writer.Pages();
  } catch (const imaging::ImageError& e) {
    result.Error = e.what();
    return result;
  } catch (const std::bad_alloc&) {
    result.Error = "There is not enough memory to convert " + job.BaseName;
    return result;
  }
  result.Written = true;
  return result;
}

}  // namespace lumetrix::series
