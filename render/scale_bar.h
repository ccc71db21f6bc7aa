#pragma once
// The length a scale bar shows: a round number of units that fits the room it is given.

#include <string>

namespace lumetrix {

// The largest of 1, 2 or 5 times a power of ten that is not above `most`; 0 when `most` is not a
// positive finite number.
double NiceLength(double most);

// "20 px", "0.5 um": the length without trailing zeros, a space, the unit.
std::string LengthLabel(double length, const std::string& unit);

}  // namespace lumetrix
