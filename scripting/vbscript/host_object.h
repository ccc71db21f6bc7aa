#pragma once
// What the program hands to the script engine: objects whose methods scripts call, and the
// dialogs behind MsgBox and InputBox.
#include <span>
#include <string>
#include <vector>

#include "variant.h"

namespace lumetrix::vbs {

// An object of the host program made callable from scripts (ScriptControl::AddObject).
// Member names are matched without regard to case. A member's number is its index in
// MemberNames(); the list is read once, when the object is added.
class HostObject {
 public:
  virtual ~HostObject() = default;
  virtual std::vector<std::string> MemberNames() const = 0;
  // Calls member `member` with the script's arguments (plain values: ByRef references already
  // followed; an argument left out, as in `Foo 1, , 3`, arrives as a Variant of VarType Error).
  // Returns the result, Empty for procedures. A failure is thrown as ScriptError{number,
  // description}: it becomes a run-time error of the calling statement, which On Error Resume
  // Next can trap. The Variant helpers ToSingle, ToDouble, ToLong, ToBool and ToString raise
  // "Type mismatch" (13) the way VBScript does.
  virtual Variant Invoke(int member, std::span<const Variant> args) = 0;
  // `obj.Member(args) = value`. By default no member can be assigned:
  // "Object doesn't support this property or method" (438).
  virtual void Assign(int member, std::span<const Variant> args, const Variant& value);
  // TypeName() of the object in scripts.
  virtual std::string TypeName() const { return "Object"; }
};

// Dialogs of MsgBox and InputBox. The default implementation suits programs without a window:
// MsgBox writes the prompt and a newline to standard output (the prompt's CR LF and CR line
// breaks as LF) and answers vbOK (1); InputBox writes its prompt the same way to standard error,
// then answers one line read from standard input (without its line break); when the input has
// ended it raises 62 "Input past end of file" (as TextStream.ReadLine does), not the default
// text. Texts are UTF-8.
class UiHost {
 public:
  virtual ~UiHost() = default;
  // `buttons` is MsgBox's second argument (vbOKCancel, vbYesNo + vbQuestion, ...); the answer
  // is vbOK (1), vbCancel (2), vbAbort (3), vbRetry (4), vbIgnore (5), vbYes (6) or vbNo (7).
  virtual int MsgBox(const std::string& prompt, int buttons, const std::string& title);
  // Returns the text typed; "" when the user cancels.
  virtual std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText);
};

}  // namespace lumetrix::vbs
