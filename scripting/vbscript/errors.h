#pragma once
// Error numbers and texts of the VBScript engine, and the exception that carries them.
#include <cstdint>
#include <exception>
#include <string>

namespace lumetrix::vbs {

// A script error: thrown by host methods to fail the calling statement (On Error Resume Next
// can trap it), and used inside the engine for every run-time and syntax error.
// An empty description is filled in from the standard VBScript text for the number.
struct ScriptError : std::exception {
  int32_t number = 0;
  std::string description;
  ScriptError() = default;
  ScriptError(int32_t num, std::string desc = {});
  const char* what() const noexcept override { return description.c_str(); }
};

// Numbers used by the engine. Syntax errors are 1001..1058 as in VBScript.
namespace err {
constexpr int32_t InvalidCall = 5;
constexpr int32_t Overflow = 6;
constexpr int32_t OutOfMemory = 7;
constexpr int32_t SubscriptOutOfRange = 9;
constexpr int32_t ArrayLocked = 10;
constexpr int32_t DivisionByZero = 11;
constexpr int32_t TypeMismatch = 13;
constexpr int32_t OutOfStringSpace = 14;
constexpr int32_t OutOfStack = 28;
constexpr int32_t SubNotDefined = 35;
constexpr int32_t ObjectNotSet = 91;
constexpr int32_t ForNotInitialized = 92;
constexpr int32_t InvalidUseOfNull = 94;
constexpr int32_t ObjectRequired = 424;
constexpr int32_t CannotCreateObject = 429;
constexpr int32_t NoSuchMember = 438;
constexpr int32_t ArgNotOptional = 449;
constexpr int32_t WrongArgCount = 450;
constexpr int32_t NotACollection = 451;
constexpr int32_t VariableUndefined = 500;
constexpr int32_t IllegalAssignment = 501;
constexpr int32_t InvalidReference = 505;
constexpr int32_t ClassNotDefined = 506;
constexpr int32_t FileNotFound = 53;
constexpr int32_t BadFileMode = 54;
constexpr int32_t FileExists = 58;
constexpr int32_t PastEndOfFile = 62;
constexpr int32_t PermissionDenied = 70;
constexpr int32_t PathNotFound = 76;
constexpr int32_t KeyExists = 457;
constexpr int32_t RegExpSyntax = 5017;
constexpr int32_t ElementNotFound = 32811;

constexpr int32_t SyntaxOutOfMemory = 1001;
constexpr int32_t Syntax = 1002;
constexpr int32_t ExpectedColon = 1003;
constexpr int32_t ExpectedLParen = 1005;
constexpr int32_t ExpectedRParen = 1006;
constexpr int32_t ExpectedIdentifier = 1010;
constexpr int32_t ExpectedEquals = 1011;
constexpr int32_t ExpectedIf = 1012;
constexpr int32_t ExpectedTo = 1013;
constexpr int32_t ExpectedEnd = 1014;
constexpr int32_t ExpectedFunction = 1015;
constexpr int32_t ExpectedSub = 1016;
constexpr int32_t ExpectedThen = 1017;
constexpr int32_t ExpectedWend = 1018;
constexpr int32_t ExpectedLoop = 1019;
constexpr int32_t ExpectedNext = 1020;
constexpr int32_t ExpectedCase = 1021;
constexpr int32_t ExpectedSelect = 1022;
constexpr int32_t ExpectedExpression = 1023;
constexpr int32_t ExpectedStatement = 1024;
constexpr int32_t ExpectedEndOfStatement = 1025;
constexpr int32_t ExpectedInteger = 1026;
constexpr int32_t ExpectedWhileUntil = 1027;
constexpr int32_t ExpectedWhileUntilEos = 1028;
constexpr int32_t ExpectedWith = 1029;
constexpr int32_t IdentifierTooLong = 1030;
constexpr int32_t InvalidNumber = 1031;
constexpr int32_t InvalidCharacter = 1032;
constexpr int32_t UnterminatedString = 1033;
constexpr int32_t InvalidMe = 1037;
constexpr int32_t LoopWithoutDo = 1038;
constexpr int32_t InvalidExit = 1039;
constexpr int32_t InvalidForVariable = 1040;
constexpr int32_t NameRedefined = 1041;
constexpr int32_t MustBeFirstStatement = 1042;
constexpr int32_t AssignToNonByVal = 1043;
constexpr int32_t ParensCallingSub = 1044;
constexpr int32_t ExpectedLiteral = 1045;
constexpr int32_t ExpectedIn = 1046;
constexpr int32_t ExpectedClass = 1047;
constexpr int32_t MustBeInClass = 1048;
constexpr int32_t ExpectedLetSetGet = 1049;
constexpr int32_t ExpectedProperty = 1050;
constexpr int32_t InconsistentPropertyArgs = 1051;
constexpr int32_t MultipleDefault = 1052;
constexpr int32_t InitTerminateArgs = 1053;
constexpr int32_t PropertyNeedsArg = 1054;
constexpr int32_t UnexpectedNext = 1055;

// Engine-specific numbers (outside VBScript's ranges). Neither can be trapped by
// On Error Resume Next, so a runaway script always stops.
constexpr int32_t ScriptTimeout = 9001;      // "Script timed out"
constexpr int32_t ScriptInterrupted = 9002;  // "Script stopped by the user"
}  // namespace err

// Standard text of an error number ("Unknown runtime error" for numbers the engine does not know).
std::string ErrorText(int32_t number);

// True for compilation errors (1001..1099).
inline bool IsSyntaxError(int32_t number) { return number >= 1001 && number <= 1099; }

[[noreturn]] void ThrowError(int32_t number);
// Raises `number` with its standard text followed by ": 'name'", as VBScript does.
[[noreturn]] void ThrowNamed(int32_t number, std::string_view name);

}  // namespace lumetrix::vbs
