#include "builtin_objects.h"

#include "text.h"

namespace lumetrix::vbs {

Variant CreateBuiltinObject(const std::string& progId) {
  std::string key = NameKey(progId);
  if (key == "scripting.dictionary") return NewDictionary();
  if (key == "scripting.filesystemobject") return NewFileSystemObject();
  if (key == "vbscript.regexp") return NewRegExp();
  return Variant::Nothing();
}

int FindMemberIn(std::string_view lowerName, std::initializer_list<const char*> names) {
  int i = 0;
  for (const char* n : names) {
    if (lowerName == n) return i;
    ++i;
  }
  return Object::kNoMember;
}

}  // namespace lumetrix::vbs
