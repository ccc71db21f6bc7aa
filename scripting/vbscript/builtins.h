#pragma once
// Built-in functions and constants. A built-in receives its arguments by value (references
// followed); an argument left out (`MsgBox "x", , "t"`) arrives as a Variant of subtype Error.
#include <string>
#include <vector>

#include "variant.h"

namespace lumetrix::vbs {

class Interpreter;

using BuiltinFn = void (*)(Interpreter& vm, Variant* args, int nargs, Variant& result);

struct Builtin {
  const char* name;
  int minArgs;
  int maxArgs;
  BuiltinFn fn;
  bool isStatement = false;  // Randomize, Execute, ExecuteGlobal: no value (used as one: error 13)
};

const std::vector<Builtin>& Builtins();
int FindBuiltin(const std::string& lowerName);  // -1 if none
bool FindBuiltinConstant(const std::string& lowerName, Variant& value);

// Registration tables of the groups (one file per group).
void AddMathBuiltins(std::vector<Builtin>& out);
void AddConversionBuiltins(std::vector<Builtin>& out);
void AddStringBuiltins(std::vector<Builtin>& out);
void AddInfoBuiltins(std::vector<Builtin>& out);
void AddDateBuiltins(std::vector<Builtin>& out);
void AddFormatBuiltins(std::vector<Builtin>& out);
void AddInteractionBuiltins(std::vector<Builtin>& out);
void AddDynamicBuiltins(std::vector<Builtin>& out);

// Helpers shared by the groups.
inline bool IsMissing(const Variant& v) { return v.tag() == Variant::tError; }
Variant MissingArgument();
// Optional integer argument: `fallback` when missing.
int32_t OptionalLong(const Variant* args, int nargs, int index, int32_t fallback);

}  // namespace lumetrix::vbs
