#include "imaging/series_planner.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <tuple>

#include "imaging/file_probe.h"
#include "imaging/image_box.h"
#include "imaging/imagej_description.h"
#include "imaging/ome_plane_map.h"

namespace lumetrix::imaging::detail {
namespace {

constexpr size_t kMaxSeries = 4096;
constexpr size_t kMaxMetadataFile = size_t{16} << 20;

// A file of a set is named by its name alone: nothing that leaves the folder.
bool InFolder(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

StackFacts FactsOf(const PageShape& shape, int64_t pages, uint64_t file_size) {
  StackFacts facts;
  facts.pages = pages;
  facts.page_channels = shape.channels;
  facts.width = shape.width;
  facts.height = shape.height;
  facts.description = shape.description;
  facts.x_resolution = shape.x_resolution;
  facts.y_resolution = shape.y_resolution;
  facts.resolution_unit = shape.resolution_unit;
  facts.imagej_channels = shape.imagej_channels;
  if (shape.contiguous && shape.data_bytes > 0 && file_size > shape.data_offset) {
    facts.contiguous_pages = static_cast<int64_t>((file_size - shape.data_offset) / shape.data_bytes) - 1;
  }
  return facts;
}

std::string Join(const std::string& a, const std::string& b) { return a.empty() ? b : b.empty() ? a : a + " " + b; }

int64_t PlanesOf(const OmeDescription& image) {
  int64_t n = std::max<long>(image.size_c, 0);
  if (__builtin_mul_overflow(n, int64_t{std::max<long>(image.size_z, 0)}, &n) ||
      __builtin_mul_overflow(n, int64_t{std::max<long>(image.size_t, 0)}, &n))
    return INT64_MAX / 4;
  return n;
}

// The pages of one series and how they form a hyperstack.
struct Planned {
  std::vector<uint64_t> directories;
  std::vector<MappedPage> mapped;
  PageShape shape;
  HyperstackLayout layout;
};

struct Candidate {
  enum Kind { kOme, kPages, kLevel } kind = kPages;
  SeriesSummary summary;
  size_t ome_image = 0;
  std::vector<uint64_t> pages;  // kPages: directories of the opened file
  size_t first_page = 0;        // kPages: chain index of pages[0]
  size_t level = 0;             // kLevel: SubIFD index of series 1's pages
};

class Planner {
 public:
  Planner(TiffReader& reader, HyperstackPlan& plan) : reader_(reader), plan_(plan) {
    folder_ = std::filesystem::path(plan.path).parent_path();
  }

  void Run(int32_t series) {
    chain_ = reader_.Chain();
    for (size_t i = 0; i < chain_.size(); ++i) {
      if (!chain_[i].reduced) full_.push_back(i);
    }
    if (full_.empty()) throw ImageError(plan_.name + " holds only reduced-resolution pages");
    shape0_ = reader_.ShapeAt(chain_[full_[0]].directory, "page 1 of " + plan_.name);
    text_ = shape0_.description;
    if (!ParseImageJDescription(text_)) {
      images_ = ParseOmeImages(text_);
      if (images_.empty()) ReadMetadataFile(OmeMetadataFile(text_));
    }
    plan_.files = {plan_.path};
    set_bytes_ = plan_.file_size;
    ListCandidates();
    if (series < 0 || static_cast<size_t>(series) >= candidates_.size()) {
      throw ImageError(plan_.name + " holds " + std::to_string(candidates_.size()) + " series; there is no series " +
                       std::to_string(int64_t{series} + 1));
    }
    Planned first = Plan(candidates_[0]);
    Summarise(candidates_[0], first);
    for (Candidate& c : candidates_) {
      if (c.kind != Candidate::kLevel) continue;
      const int32_t w = c.summary.width, h = c.summary.height;
      c.summary = candidates_[0].summary;
      std::tie(c.summary.width, c.summary.height) = std::tuple(w, h);
      c.summary.name.clear();
      c.summary.reduced = true;
    }
    Planned chosen = series == 0 ? std::move(first) : Plan(candidates_[static_cast<size_t>(series)], &first);
    plan_.directories = std::move(chosen.directories);
    plan_.mapped = std::move(chosen.mapped);
    plan_.page_shape = std::move(chosen.shape);
    plan_.layout = std::move(chosen.layout);
    plan_.series_index = series;
    if (candidates_.size() > 1)
      for (const Candidate& c : candidates_) plan_.series.push_back(c.summary);
    plan_.file_size = set_bytes_;
  }

 private:
  // BinaryOnly: the metadata is in another file of the folder (an OME-TIFF or an XML file).
  void ReadMetadataFile(const std::string& name) {
    if (!InFolder(name)) return;
    const std::string path = (folder_ / name).string();
    try {
      const ProbedFile probe = ProbeImageFile(path);
      if (probe.format == FileFormat::kTiff) {
        TiffReader other(path, probe.stamp);
        const std::vector<ChainPage> chain = other.Chain();
        text_ = other.ShapeAt(chain.front().directory, "page 1 of " + name).description;
      }
    } catch (const std::exception&) {
      std::ifstream in(path, std::ios::binary);
      text_.assign(kMaxMetadataFile, '\0');
      in.read(text_.data(), static_cast<std::streamsize>(text_.size()));
      text_.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    }
    images_ = ParseOmeImages(text_);
  }

  void ListCandidates() {
    if (!images_.empty()) {
      const OmeDescription& i0 = images_[0];
      for (size_t i = 0; i < images_.size(); ++i) {
        const OmeDescription& d = images_[i];
        Candidate c;
        c.kind = Candidate::kOme;
        c.ome_image = i;
        c.summary = {static_cast<int32_t>(std::clamp<long>(d.size_x, 0, INT32_MAX)),
                     static_cast<int32_t>(std::clamp<long>(d.size_y, 0, INT32_MAX)),
                     static_cast<int32_t>(std::clamp<long>(d.size_z, 0, INT32_MAX)),
                     static_cast<int32_t>(std::clamp<long>(d.size_c, 0, INT32_MAX)),
                     static_cast<int32_t>(std::clamp<long>(d.size_t, 0, INT32_MAX)), d.name, false};
        // A smaller copy of the first image: the same planes at a lower resolution.
        c.summary.reduced = i > 0 && d.size_c == i0.size_c && d.size_z == i0.size_z && d.size_t == i0.size_t &&
                            d.size_x < i0.size_x && d.size_y < i0.size_y;
        candidates_.push_back(std::move(c));
      }
    } else {
      // Pages of each size (full resolution first, then reduced), in the order they first appear.
      std::map<std::tuple<bool, uint32_t, uint32_t, int>, size_t> group;
      for (const bool reduced : {false, true}) {
        for (size_t i = 0; i < chain_.size(); ++i) {
          const ChainPage& p = chain_[i];
          if (p.reduced != reduced) continue;
          const auto key = std::tuple(p.reduced, p.width, p.height, p.channels);
          auto at = group.find(key);
          if (at == group.end()) {
            if (candidates_.size() == kMaxSeries) continue;
            at = group.emplace(key, candidates_.size()).first;
            Candidate c;
            c.first_page = i;
            c.summary.width = static_cast<int32_t>(std::min<uint32_t>(p.width, INT32_MAX));
            c.summary.height = static_cast<int32_t>(std::min<uint32_t>(p.height, INT32_MAX));
            c.summary.channels = p.channels;
            c.summary.slices = 0;
            const ChainPage& first = chain_[full_[0]];
            c.summary.reduced = reduced || (p.width <= first.width && p.height <= first.height &&
                                            uint64_t{p.width} * p.height < uint64_t{first.width} * first.height);
            candidates_.push_back(std::move(c));
          }
          candidates_[at->second].pages.push_back(p.directory);
          ++candidates_[at->second].summary.slices;
        }
      }
    }
    // Pyramid levels of the first series, from its first page's SubIFDs.
    const std::vector<uint64_t> levels = chain_[full_[0]].sub_ifds;
    for (size_t k = 0; k < levels.size() && candidates_.size() < kMaxSeries; ++k) {
      try {
        const PageShape s = reader_.ShapeAt(levels[k], "level " + std::to_string(k + 2) + " of " + plan_.name);
        Candidate c;
        c.kind = Candidate::kLevel;
        c.level = k;
        c.summary.width = static_cast<int32_t>(s.width);
        c.summary.height = static_cast<int32_t>(s.height);
        candidates_.push_back(std::move(c));
      } catch (const ImageError&) {
        // a level that cannot be read is not offered
      }
    }
  }

  void Summarise(Candidate& c, const Planned& p) {
    c.summary.width = static_cast<int32_t>(p.shape.width);
    c.summary.height = static_cast<int32_t>(p.shape.height);
    c.summary.slices = p.layout.slices;
    c.summary.channels = p.layout.page_groups * p.shape.channels;
    c.summary.frames = p.layout.frames;
  }

  Planned Plan(const Candidate& c, const Planned* first = nullptr) {
    switch (c.kind) {
      case Candidate::kPages: return PlanPages(c.pages, c.first_page);
      case Candidate::kOme: return PlanOme(c.ome_image);
      case Candidate::kLevel: return PlanLevel(*first, c.level);
    }
    return {};
  }

  Planned PlanPages(const std::vector<uint64_t>& pages, size_t first_page) {
    Planned p;
    p.shape = reader_.ShapeAt(pages[0], "page " + std::to_string(first_page + 1) + " of " + plan_.name);
    p.layout = ResolveLayout(FactsOf(p.shape, static_cast<int64_t>(pages.size()), plan_.file_size), plan_.name);
    p.directories = pages;
    return p;
  }

  // Index of a file of the set in plan.files (opening it and reading its chain), or -1.
  int32_t SetFile(const std::string& name, std::string& note) {
    if (name == plan_.name) return 0;
    if (const auto known = set_index_.find(name); known != set_index_.end()) return known->second;
    int32_t index = -1;
    if (!InFolder(name)) {
      note = Join(note, plan_.name + ": its OME metadata names \"" + name +
                            "\", which is not a file of its folder; those planes are blank.");
    } else {
      const std::string path = (folder_ / name).string();
      try {
        const FileStamp stamp = StampOf(path);
        auto reader = std::make_unique<TiffReader>(path, stamp);
        chains_.push_back(reader->Chain());
        readers_.push_back(std::move(reader));
        set_bytes_ += stamp.size;
        index = static_cast<int32_t>(plan_.files.size());
        plan_.files.push_back(path);
      } catch (const std::exception&) {
        missing_.push_back(name);
      }
    }
    set_index_[name] = index;
    return index;
  }

  TiffReader& ReaderOf(int32_t file) { return file == 0 ? reader_ : *readers_[static_cast<size_t>(file - 1)]; }
  const std::vector<ChainPage>& ChainOf(int32_t file) { return file == 0 ? chain_ : chains_[static_cast<size_t>(file - 1)]; }

  Planned PlanOme(size_t which) {
    const OmeDescription& image = images_[which];
    std::string note;
    // The files of the image's map, by its own numbering (0: this file).
    std::vector<int32_t> file_index = {0};
    std::vector<int64_t> pages_per_file = {static_cast<int64_t>(chain_.size())};
    for (const std::string& name : image.files) {
      const int32_t f = SetFile(name, note);
      file_index.push_back(f);
      pages_per_file.push_back(f < 0 ? -1 : static_cast<int64_t>(ChainOf(f).size()));
    }
    int64_t first_ifd = 0;
    for (size_t i = 0; i < which; ++i) first_ifd = std::min(first_ifd + PlanesOf(images_[i]), INT64_MAX / 4);

    // The facts come from the page of the image's first plane where it can be found.
    Planned p;
    p.shape = shape0_;
    int32_t guess_file = 0;
    int64_t guess_ifd = image.tiff_data.empty() ? first_ifd : std::max<long>(image.tiff_data[0].ifd, 0);
    if (!image.tiff_data.empty()) guess_file = file_index[static_cast<size_t>(image.tiff_data[0].file + 1)];
    if (guess_file >= 0 && guess_ifd < static_cast<int64_t>(ChainOf(guess_file).size()) &&
        !(guess_file == 0 && static_cast<size_t>(guess_ifd) == full_[0])) {
      try {
        p.shape = ReaderOf(guess_file).ShapeAt(ChainOf(guess_file)[static_cast<size_t>(guess_ifd)].directory,
                                              "the first plane of " + plan_.name);
      } catch (const ImageError&) {
        // the facts of page 1 stand in; the planes are checked one by one when read
      }
    }
    // Without a usable map, the pages of the first page's size, one per slice.
    for (const size_t i : full_)
      if (chain_[i].width == p.shape.width && chain_[i].height == p.shape.height) p.directories.push_back(chain_[i].directory);
    StackFacts facts = FactsOf(p.shape, static_cast<int64_t>(p.directories.size()), plan_.file_size);
    facts.description = text_;
    facts.ome_image = which;
    p.layout = ResolveLayout(facts, plan_.name);
    if (!p.layout.note.empty()) {
      if (p.directories.empty()) throw ImageError(p.layout.note);
      return p;
    }
    std::string problem;
    const std::vector<PlaneSource> map =
        MapOmePlanes(image, p.layout, p.shape.channels, first_ifd, pages_per_file, problem);
    if (!problem.empty()) {
      HyperstackLayout plain;
      plain.slices = static_cast<int32_t>(p.directories.size());
      plain.note = plan_.name + ": " + problem + "; the pages are shown as one channel, one page per slice.";
      p.layout = plain;
      return p;
    }
    p.directories.clear();
    p.mapped.resize(map.size());
    int64_t present = 0, first_present = -1;
    for (size_t i = 0; i < map.size(); ++i) {
      const PlaneSource& s = map[i];
      if (s.file < 0) continue;
      const int32_t f = file_index[static_cast<size_t>(s.file)];
      if (f < 0 || s.ifd >= static_cast<int64_t>(ChainOf(f).size())) continue;
      p.mapped[i] = {f, ChainOf(f)[static_cast<size_t>(s.ifd)].directory};
      if (first_present < 0) first_present = static_cast<int64_t>(i);
      ++present;
    }
    if (first_present < 0) {
      throw ImageError(Join(note, plan_.name + " holds none of the planes its OME metadata describes" +
                                      (missing_.empty() ? std::string() : " (" + missing_[0] + " is missing)") + "."));
    }
    const MappedPage& m = p.mapped[static_cast<size_t>(first_present)];
    p.shape = ReaderOf(m.file).ShapeAt(m.directory, "the first plane of " + plan_.name);
    if (!missing_.empty()) {
      std::string names = missing_[0];
      for (size_t i = 1; i < std::min<size_t>(missing_.size(), 3); ++i) names += ", " + missing_[i];
      if (missing_.size() > 3) names += " and " + std::to_string(missing_.size() - 3) + " more";
      note = Join(note, plan_.name + ": " + names + (missing_.size() == 1 ? ", a file of its set, is" : ", files of its set, are") +
                            " missing or unreadable; " + (missing_.size() == 1 ? "its" : "their") + " planes are blank.");
    }
    if (present < static_cast<int64_t>(map.size())) {
      note = Join(note, plan_.name + " holds " + std::to_string(present) + " of the " + std::to_string(map.size()) +
                            " planes its OME metadata describes; the others are blank.");
    }
    p.layout.note = note;
    return p;
  }

  // Level `level` of the first series: each page's SubIFD in its place.
  Planned PlanLevel(const Planned& first, size_t level) {
    Planned p = first;
    std::vector<MappedPage> pages = first.mapped;
    if (pages.empty())
      for (const uint64_t d : first.directories) pages.push_back({0, d});
    std::map<std::pair<int32_t, uint64_t>, const ChainPage*> by_directory;
    const auto sub_ifd = [&](const MappedPage& m) -> MappedPage {
      if (m.file < 0) return m;
      if (by_directory.empty()) {
        for (int32_t f = 0; f < static_cast<int32_t>(plan_.files.size()); ++f)
          for (const ChainPage& c : ChainOf(f)) by_directory[{f, c.directory}] = &c;
      }
      const auto at = by_directory.find({m.file, m.directory});
      if (at == by_directory.end() || at->second->sub_ifds.size() <= level) return {};
      return {m.file, at->second->sub_ifds[level]};
    };
    p.directories.clear();
    p.mapped.clear();
    for (const MappedPage& m : pages) p.mapped.push_back(sub_ifd(m));
    p.shape = reader_.ShapeAt(chain_[full_[0]].sub_ifds[level], "level " + std::to_string(level + 2) + " of " + plan_.name);
    // The voxel grows as the level shrinks.
    if (p.shape.width > 0 && p.shape.height > 0) {
      p.layout.voxel[0] *= double(first.shape.width) / p.shape.width;
      p.layout.voxel[1] *= double(first.shape.height) / p.shape.height;
    }
    p.layout.pages_after_first_ifd = false;
    return p;
  }

  TiffReader& reader_;
  HyperstackPlan& plan_;
  std::filesystem::path folder_;
  std::vector<ChainPage> chain_;
  std::vector<size_t> full_;
  PageShape shape0_;
  std::string text_;
  std::vector<OmeDescription> images_;
  std::vector<Candidate> candidates_;
  std::vector<std::unique_ptr<TiffReader>> readers_;      // files 1.. of the set
  std::vector<std::vector<ChainPage>> chains_;            // their chains
  std::map<std::string, int32_t> set_index_;
  std::vector<std::string> missing_;
  uint64_t set_bytes_ = 0;
};

}  // namespace

void PlanSeries(TiffReader& reader, HyperstackPlan& plan, int32_t series) { Planner(reader, plan).Run(series); }

}  // namespace lumetrix::imaging::detail

namespace lumetrix::imaging {

std::string SeriesLine(int32_t number, const SeriesSummary& s) {
  std::string line = "series " + std::to_string(number) + ": " + std::to_string(s.width) + "x" +
                     std::to_string(s.height) + "x" + std::to_string(s.slices) + " " + std::to_string(s.channels) + "ch";
  if (s.frames > 1) {
    line += ' ';
    line += std::to_string(s.frames);
    line += " timepoints";
  }
  if (!s.name.empty()) {
    line += " \"";
    line += s.name;
    line += '"';
  }
  if (s.reduced) line += " reduced resolution";
  return line;
}

}  // namespace lumetrix::imaging

namespace lumetrix::imaging {

std::vector<SeriesSummary> ListSeries(const std::string& path) {
  try {
    if (detail::ProbeImageFile(path).format != detail::FileFormat::kTiff) return {};
    return PlanHyperstack(path).series;
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace lumetrix::imaging
