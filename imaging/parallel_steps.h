#pragma once
// Decoding on all cores: memory for the samples, and a pool of workers taking steps in turn
// with progress and Cancel. Shared by the TIFF and the Zarr readers.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/progress_sink.h"
#include "imaging/hyperstack.h"

namespace lumetrix::imaging {

// Uninitialised memory (every sample is written), on huge pages where the system has them.
std::unique_ptr<uint8_t[], FreeDeleter> AllocateSamples(uint64_t bytes);

// Runs step(worker, i) for every i < count on `threads` workers (0: one per core), with one
// progress step per i when `progress` is given. False when the progress sink asked to stop;
// the first exception of a step is thrown again here.
bool RunSteps(size_t count, unsigned threads, ProgressSink* progress, const std::function<void(unsigned, size_t)>& step);

}  // namespace lumetrix::imaging
