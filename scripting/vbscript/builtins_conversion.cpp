// CBool CByte CCur CDate CDbl CInt CLng CSng CStr.
#include <cmath>

#include "builtins_args.h"
#include "convert.h"

namespace lumetrix::vbs {

namespace {

using namespace bi;

void CBool(Interpreter&, Variant* args, int, Variant& result) { result = Variant(ToBool(NotNull(args[0]))); }
void CByte(Interpreter&, Variant* args, int, Variant& result) {
  Variant v = NotNull(args[0]);
  if (v.tag() == Variant::tBoolean) result = Variant::Byte(v.n() ? 255 : 0);  // True is all bits set
  else result = Variant(ToByte(v));
}
void CInt(Interpreter&, Variant* args, int, Variant& result) { result = Variant(ToInteger(NotNull(args[0]))); }
void CLng(Interpreter&, Variant* args, int, Variant& result) { result = Variant(ToLong(NotNull(args[0]))); }
void CSng(Interpreter&, Variant* args, int, Variant& result) { result = Variant(ToSingle(NotNull(args[0]))); }
void CDbl(Interpreter&, Variant* args, int, Variant& result) { result = Variant(ToDouble(NotNull(args[0]))); }
void CStr(Interpreter&, Variant* args, int, Variant& result) { result = Variant(ToUString(NotNull(args[0]))); }
void CDate(Interpreter&, Variant* args, int, Variant& result) { result = Variant::Date(ToDate(NotNull(args[0]))); }

void CCur(Interpreter&, Variant* args, int, Variant& result) { result = Variant::Currency(ToCurrency(NotNull(args[0]))); }

}  // namespace

void AddConversionBuiltins(std::vector<Builtin>& out) {
  out.insert(out.end(), {
                            {"CBool", 1, 1, Named<"CBool", CBool>},
                            {"CByte", 1, 1, Named<"CByte", CByte>},
                            {"CCur", 1, 1, Named<"CCur", CCur>},
                            {"CDate", 1, 1, Named<"CDate", CDate>},
                            {"CDbl", 1, 1, Named<"CDbl", CDbl>},
                            {"CInt", 1, 1, Named<"CInt", CInt>},
                            {"CLng", 1, 1, Named<"CLng", CLng>},
                            {"CSng", 1, 1, Named<"CSng", CSng>},
                            {"CStr", 1, 1, Named<"CStr", CStr>},
                        });
}

}  // namespace lumetrix::vbs
