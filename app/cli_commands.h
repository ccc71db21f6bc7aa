#pragma once
// The commands that run without a window. Each returns the program's exit code.

#include "app/command_line.h"

namespace lumetrix {

// Prints "WIDTHxHEIGHTxDEPTH grey|rgb MEAN" for a volume; needs no display.
int RunInfoCommand(const CommandLine& line);
// Renders one frame of a volume with the start view into a BMP or JPEG file; needs an
// application object, and draws through EGL when there is no display.
int RunRenderCommand(const CommandLine& line);

// Opens FILE, runs the script's "Main" without a window; 0 on success, 1 after printing the
// error line on standard error. Draws through EGL when there is no display.
int RunScriptCommand(const CommandLine& line);

// Renders a keyframe file's movie of one volume, or with --out-dir of each volume named (going
// on past volumes that fail); 0 when every movie was written, 1 otherwise, 2 for a bad line.
// Needs a display (an X server, such as Xvfb).
int RunMovieCommand(const CommandLine& line);

// Re-encodes a movie with the codec named by --codec (or the remembered choice); needs no display.
int RunRecompressCommand(const CommandLine& line);

// Turns a movie into an animated GIF with the palette, dithering, SwapRG and optimisation the
// options name; needs no display. 0 when written; 1, with the message on stderr, when the movie
// cannot be read or the GIF cannot be written; 2 for options it does not know.
int RunAviToGifCommand(const CommandLine& line);

// The mean of all samples, as the info line shows it.
double MeanSample(const struct VolumeData& v);

}  // namespace lumetrix
