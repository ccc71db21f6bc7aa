#pragma once
// A look at an AVI file's header chunks before FFmpeg reads it. FFmpeg's AVI demuxer allocates a
// header chunk's declared size before reading it, so a few hundred bytes claiming a 900 MB stream
// name would make it ask for 900 MB. Valid and truncated movies pass: only the chunks ahead of
// the frame data are checked, and each must fit in the file.

#include <cstdint>
#include <string>

namespace lumetrix::avi {

// Why the header of the AVI file at `path` cannot be right (e.g. "a header chunk runs past the end
// of the file"); empty when it looks sound, when the file is no AVI, or when it cannot be read (the
// demuxer then says why).
std::string AviHeaderProblem(const std::string& path);

}  // namespace lumetrix::avi
