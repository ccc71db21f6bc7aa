// MsgBox and InputBox (through the host's UiHost), CreateObject and GetObject.
#include "builtin_objects.h"
#include "builtins_args.h"
#include "host_object.h"
#include "interpreter.h"

namespace lumetrix::vbs {

namespace {

using namespace bi;

// The dialogs used when the host installed none.
UiHost& Ui(Interpreter& vm) {
  if (UiHost* ui = vm.ui()) return *ui;
  static thread_local UiHost fallback;
  return fallback;
}

const char* const kDefaultTitle = "VBScript";

// MsgBox(prompt[, buttons[, title[, helpfile, context]]])
void MsgBox(Interpreter& vm, Variant* args, int nargs, Variant& result) {
  std::string prompt = ToUtf8(StringArg(args[0]));
  int32_t buttons = OptionalLong(args, nargs, 1, 0);
  std::string title = Given(args, nargs, 2) ? ToUtf8(StringArg(args[2])) : kDefaultTitle;
  result = Variant::Integer(Ui(vm).MsgBox(prompt, buttons, title));
}

// InputBox(prompt[, title[, default[, xpos, ypos[, helpfile, context]]]])
void InputBox(Interpreter& vm, Variant* args, int nargs, Variant& result) {
  std::string prompt = ToUtf8(StringArg(args[0]));
  std::string title = Given(args, nargs, 1) ? ToUtf8(StringArg(args[1])) : kDefaultTitle;
  std::string fallback = Given(args, nargs, 2) ? ToUtf8(StringArg(args[2])) : std::string();
  for (int i = 3; i < 5; ++i)
    if (Given(args, nargs, i)) LongArg(args[i]);  // positions must be numbers, even unused
  result = Variant(Ui(vm).InputBox(prompt, title, fallback));
}

// No COM here: only the objects the engine provides itself.
void CreateObject(Interpreter& vm, Variant* args, int, Variant& result) {
  std::string progId = ToUtf8(StringArg(args[0]));
  if (!vm.fileAccess && NameKey(progId) == "scripting.filesystemobject") ThrowNamed(err::CannotCreateObject, progId);
  result = CreateBuiltinObject(progId);
  if (result.isNothing()) ThrowNamed(err::CannotCreateObject, progId);
}

void GetObject(Interpreter&, Variant* args, int nargs, Variant&) {
  std::string name = Given(args, nargs, 1) ? ToUtf8(StringArg(args[1]))
                     : Given(args, nargs, 0) ? ToUtf8(StringArg(args[0]))
                                             : std::string();
  ThrowNamed(err::CannotCreateObject, name);
}

}  // namespace

void AddInteractionBuiltins(std::vector<Builtin>& out) {
  out.insert(out.end(), {
                            {"CreateObject", 1, 2, Named<"CreateObject", CreateObject>},
                            {"GetObject", 0, 2, Named<"GetObject", GetObject>},
                            {"InputBox", 1, 7, Named<"InputBox", InputBox>},
                            {"MsgBox", 1, 5, Named<"MsgBox", MsgBox>},
                        });
}

}  // namespace lumetrix::vbs
