// Array IsArray IsDate IsEmpty IsNull IsNumeric IsObject LBound TypeName UBound VarType and the
// ScriptEngine* functions.
#include "builtins_args.h"
#include "convert.h"
#include "date_time.h"

namespace lumetrix::vbs {

namespace {

using namespace bi;

void IsArray(Interpreter&, Variant* args, int, Variant& result) { result = Variant(args[0].deref().isArray()); }
void IsEmpty(Interpreter&, Variant* args, int, Variant& result) { result = Variant(args[0].deref().isEmpty()); }
void IsNull(Interpreter&, Variant* args, int, Variant& result) { result = Variant(args[0].deref().isNull()); }
void IsObject(Interpreter&, Variant* args, int, Variant& result) { result = Variant(args[0].deref().isObject()); }
void IsNumeric(Interpreter&, Variant* args, int, Variant& result) { result = Variant(LooksNumeric(args[0].deref())); }

void IsDate(Interpreter&, Variant* args, int, Variant& result) {
  const Variant& v = args[0].deref();
  double serial;
  bool date = v.tag() == Variant::tDate || (v.isString() && ParseDate(v.str(), serial) && IsValidDate(serial));
  result = Variant(date);
}

void TypeName(Interpreter&, Variant* args, int, Variant& result) { result = Variant(TypeNameOf(args[0].deref())); }

void VarTypeOf(Interpreter&, Variant* args, int, Variant& result) {
  const Variant& v = args[0].deref();
  int32_t t = static_cast<int32_t>(v.type());
  if (v.isArray()) t = static_cast<int32_t>(VarType::Array) | static_cast<int32_t>(VarType::Variant);
  result = Variant::Integer(t);
}

// The element counts of an array argument's dimension `dim` (1-based, default 1).
int32_t DimensionCount(const Variant* args, int nargs) {
  const Variant& v = args[0].deref();
  if (!v.isArray()) ThrowError(err::TypeMismatch);
  int32_t dim = OptionalLong(args, nargs, 1, 1);
  const auto& counts = v.arr()->counts;
  if (dim < 1 || static_cast<size_t>(dim) > counts.size()) ThrowError(err::SubscriptOutOfRange);
  return counts[static_cast<size_t>(dim) - 1];
}

void UBound(Interpreter&, Variant* args, int nargs, Variant& result) {
  result = Variant(DimensionCount(args, nargs) - 1);
}

void LBound(Interpreter&, Variant* args, int nargs, Variant& result) {
  DimensionCount(args, nargs);
  result = Variant(int32_t{0});
}

void Array(Interpreter&, Variant* args, int nargs, Variant& result) {
  std::vector<Variant> items;
  items.reserve(static_cast<size_t>(nargs));
  for (int i = 0; i < nargs; ++i) {
    const Variant& v = args[i].deref();
    items.push_back(v.isArray() ? CloneArray(v) : v);  // arrays are values
  }
  result = MakeArray(std::move(items));
}

void ScriptEngine(Interpreter&, Variant*, int, Variant& result) { result = Variant("VBScript"); }
void ScriptEngineMajorVersion(Interpreter&, Variant*, int, Variant& result) { result = Variant(int32_t{5}); }
void ScriptEngineMinorVersion(Interpreter&, Variant*, int, Variant& result) { result = Variant(int32_t{8}); }
void ScriptEngineBuildVersion(Interpreter&, Variant*, int, Variant& result) { result = Variant(int32_t{1}); }

}  // namespace

void AddInfoBuiltins(std::vector<Builtin>& out) {
  out.insert(out.end(), {
                            {"Array", 0, 32767, Named<"Array", Array>},
                            {"IsArray", 1, 1, Named<"IsArray", IsArray>},
                            {"IsDate", 1, 1, Named<"IsDate", IsDate>},
                            {"IsEmpty", 1, 1, Named<"IsEmpty", IsEmpty>},
                            {"IsNull", 1, 1, Named<"IsNull", IsNull>},
                            {"IsNumeric", 1, 1, Named<"IsNumeric", IsNumeric>},
                            {"IsObject", 1, 1, Named<"IsObject", IsObject>},
                            {"LBound", 1, 2, Named<"LBound", LBound>},
                            {"ScriptEngine", 0, 0, Named<"ScriptEngine", ScriptEngine>},
                            {"ScriptEngineBuildVersion", 0, 0, Named<"ScriptEngineBuildVersion", ScriptEngineBuildVersion>},
                            {"ScriptEngineMajorVersion", 0, 0, Named<"ScriptEngineMajorVersion", ScriptEngineMajorVersion>},
                            {"ScriptEngineMinorVersion", 0, 0, Named<"ScriptEngineMinorVersion", ScriptEngineMinorVersion>},
                            {"TypeName", 1, 1, Named<"TypeName", TypeName>},
                            {"UBound", 1, 2, Named<"UBound", UBound>},
                            {"VarType", 1, 1, Named<"VarType", VarTypeOf>},
                        });
}

}  // namespace lumetrix::vbs
