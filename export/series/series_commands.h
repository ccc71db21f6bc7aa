#pragma once
// The command-line forms of the series converters, for batch work:
//   lumetrix --join-tiff OUT.tif IN1.tif IN2.tif ...
//   lumetrix --convert-leica FOLDER DESTFOLDER [--map R,G,B]
// Each prints one line per file written and returns the program's exit code (0, or 1 after an
// error, which goes to `errors`; 2 when an output would replace an input or a read-only file, or
// cannot be made, found before anything is read).

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "export/series/leica_conversion.h"

namespace lumetrix::series {

int JoinTiffCommand(const std::string& out, const std::vector<std::string>& inputs, std::ostream& log = std::cout,
                    std::ostream& errors = std::cerr);

// `map` names, for red, green and blue in that order, the channel 0..2 feeding it or "-" for
// none: "0,1,2" (the default), "1,0,-".
int ConvertLeicaCommand(const std::string& folder, const std::string& dest, const std::string& map = "0,1,2",
                        std::ostream& log = std::cout, std::ostream& errors = std::cerr);

// "R,G,B" as above; nullopt for anything else, or when every colour is "-".
std::optional<ColourSources> ParseColourMap(const std::string& text);

}  // namespace lumetrix::series
