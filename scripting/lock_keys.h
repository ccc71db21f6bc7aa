#pragma once
// Caps Lock and Num Lock states for the status bar. Linux has no portable query through the
// toolkit; the keyboard LEDs under /sys/class/leds tell them for local keyboards.

#include <optional>
#include <string>

namespace lumetrix::scripting {

struct LockKeys {
  std::optional<bool> capsLock;  // nothing: unknown
  std::optional<bool> numLock;
};

// Reads the LED states below `ledsFolder` (folders named like "input3::capslock" holding a
// "brightness" file); a lock counts as on when any of its LEDs is lit.
LockKeys ReadLockKeys(const std::string& ledsFolder = "/sys/class/leds");

}  // namespace lumetrix::scripting
