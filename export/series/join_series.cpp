#include "export/series/join_series.h"

#include <new>

#include "core/progress_scope.h"
#include "core/staged_file.h"
#include "export/series/conversion_errors.h"
#include "export/series/tiff_folder.h"
#include "imaging/image_box.h"
#include "imaging/tiff_stack_writer.h"

namespace lumetrix::series {

ConversionResult JoinTiffSeries(const std::vector<std::string>& sources, const std::string& destination,
                                ProgressSink* progress) {
  ConversionResult result;
  result.Destination = destination;
  if (sources.empty()) {
    result.Error = "There are no files to join";
    return result;
  }
  if (std::string problem = DestinationProblem(destination); !problem.empty()) {
    result.Error = problem;
    return result;
  }
  for (const std::string& source : sources) {
    if (SameFile(source, destination)) {
      result.Error = BaseFileName(destination) + " is one of the files to be joined; choose another name";
      return result;
    }
  }
  const int32_t total = static_cast<int32_t>(sources.size());
  ProgressScope scope(progress, "", total);
  imaging::ImageBox box;
  int32_t width = 0, height = 0;
  std::string first;
  try {
    imaging::TiffStackWriter output(destination);
    for (int32_t i = 0; i < total; ++i) {
      const std::string& source = sources[static_cast<size_t>(i)];
      if (!box.LoadPage(source, 0)) {
        result.Error = box.LastError();
        return result;
      }
      box.ConvertDepth(24);
      if (i == 0) {
        width = box.ImageWidth();
        height = box.ImageHeight();
        first = BaseFileName(source);
      } else if (box.ImageWidth() != width || box.ImageHeight() != height) {
        result.Error = BaseFileName(source) + " is " + detail::SizeText(box.ImageWidth(), box.ImageHeight()) +
                       ", unlike the " + detail::SizeText(width, height) + " of " + first +
                       "; all pages of a 3D TIFF file must have the same size";
        return result;
      }
      output.AddPage(box);
      scope.Step(i + 1);
      if (scope.Cancelled()) {
        result.Cancelled = true;
        return result;
      }
    }
    output.Commit();
  } catch (const imaging::ImageError& e) {
    result.Error = e.what();
    return result;
  } catch (const std::bad_alloc&) {
    result.Error = "There is not enough memory to join the files";
    return result;
  }
  result.Written = true;
  result.Pages = total;
  return result;
}

}  // namespace lumetrix::series
