#pragma once
// Objects the engine itself provides (no host needed): Scripting.Dictionary,
// Scripting.FileSystemObject and VBScript.RegExp (also `New RegExp`).
#include <string>

#include "object.h"

namespace lumetrix::vbs {

// The object for a ProgID (case-insensitive), or Nothing when the engine has no such object.
Variant CreateBuiltinObject(const std::string& progId);

Variant NewDictionary();
Variant NewFileSystemObject();
Variant NewRegExp();

// A member table for the objects above: lower-case names in member-number order.
int FindMemberIn(std::string_view lowerName, std::initializer_list<const char*> names);

}  // namespace lumetrix::vbs
