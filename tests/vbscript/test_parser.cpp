// Parser: statements, blocks and operator precedence of well-formed scripts.
#include <gtest/gtest.h>

#include "test_parser_support.h"

namespace lumetrix::vbs {
namespace {

using namespace ast;
using parser_test::Print;

// The right-hand side of the script's only statement `x = <expr>`.
std::string Expression(const std::string& expr) {
  auto chunk = Parse("x = " + expr);
  EXPECT_EQ(chunk->statements.size(), 1u) << expr;
  if (chunk->statements.size() != 1) return "";
  const Stmt* s = chunk->statements[0];
  EXPECT_EQ(s->kind, StmtKind::Assign) << expr;
  return Print(s->expr);
}

TEST(ParserPrecedence, ArithmeticFollowsVBScriptOrder) {
  EXPECT_EQ(Expression("1 + 2 * 3"), "(+ 1 (* 2 3))");
  EXPECT_EQ(Expression("1 - 2 - 3"), "(- (- 1 2) 3)");
  EXPECT_EQ(Expression("2 ^ 3 ^ 2"), "(^ (^ 2 3) 2)");  // ^ is left-associative
  EXPECT_EQ(Expression("-2 ^ 2"), "(neg (^ 2 2))");   // ^ binds tighter than negation
  EXPECT_EQ(Expression("2 ^ -1"), "(^ 2 (neg 1))");
  EXPECT_EQ(Expression("-a * b"), "(* (neg a) b)");
  EXPECT_EQ(Expression("a * b \\ c"), "(\\ (* a b) c)");
  EXPECT_EQ(Expression("a \\ b * c"), "(\\ a (* b c))");
  EXPECT_EQ(Expression("a Mod b \\ c"), "(Mod a (\\ b c))");
  EXPECT_EQ(Expression("a + b Mod c"), "(+ a (Mod b c))");
  EXPECT_EQ(Expression("s + i * 2 Mod 7"), "(+ s (Mod (* i 2) 7))");
  EXPECT_EQ(Expression("a & b + c"), "(& a (+ b c))");
  EXPECT_EQ(Expression("a + b & c"), "(& (+ a b) c)");
  EXPECT_EQ(Expression("(1 + 2) * 3"), "(* (paren (+ 1 2)) 3)");
  EXPECT_EQ(Expression("- - 1"), "(neg (neg 1))");
  EXPECT_EQ(Expression("+1"), "(pos 1)");
}

TEST(ParserPrecedence, ComparisonsAndLogic) {
  EXPECT_EQ(Expression("a & b = c"), "(= (& a b) c)");
  EXPECT_EQ(Expression("a = b = c"), "(= (= a b) c)");
  EXPECT_EQ(Expression("a < b And c >= d"), "(And (< a b) (>= c d))");
  EXPECT_EQ(Expression("Not a = b"), "(Not (= a b))");
  EXPECT_EQ(Expression("Not a And b"), "(And (Not a) b)");
  EXPECT_EQ(Expression("a And b Or c And d"), "(Or (And a b) (And c d))");
  EXPECT_EQ(Expression("a Or b Xor c"), "(Xor (Or a b) c)");
  EXPECT_EQ(Expression("a Xor b Eqv c"), "(Eqv (Xor a b) c)");
  EXPECT_EQ(Expression("a Eqv b Imp c"), "(Imp (Eqv a b) c)");
  EXPECT_EQ(Expression("a Is Nothing"), "(Is a Nothing)");
  EXPECT_EQ(Expression("Not a Is b"), "(Not (Is a b))");
  EXPECT_EQ(Expression("a <> b"), "(<> a b)");
  EXPECT_EQ(Expression("1 > -1"), "(> 1 (neg 1))");
}

TEST(ParserExpressions, LiteralsKeywordsCallsAndMembers) {
  EXPECT_EQ(Expression("\"a\" & True & Null & Empty"), "(& (& (& \"a\" True) Null) Empty)");
  EXPECT_EQ(Expression("f(1, , \"x\")"), "(call f 1 <missing> \"x\")");
  EXPECT_EQ(Expression("f()"), "(call f)");
  EXPECT_EQ(Expression("a.b.c(1).d"), "(. (call (. (. a b) c) 1) d)");
  EXPECT_EQ(Expression("a(1)(2)"), "(call (call a 1) 2)");
  EXPECT_EQ(Expression("Err.Number"), "(. Err Number)");
  EXPECT_EQ(Expression("o.End + o.Next"), "(+ (. o End) (. o Next))");  // keywords as member names
  EXPECT_EQ(Expression("New Foo"), "(New Foo)");
  EXPECT_EQ(Expression("Step + Error"), "(+ Step Error)");  // soft keywords are plain names
}

TEST(ParserExpressions, NamesKeepPositions) {
  auto chunk = Parse("\n  x = a +\tbb");
  const Expr* e = chunk->statements[0]->expr;
  EXPECT_EQ(e->line, 2);
  EXPECT_EQ(e->column, 9);
  EXPECT_EQ(e->right->column, 11);
  EXPECT_EQ(chunk->statements[0]->line, 2);
  EXPECT_EQ(chunk->statements[0]->column, 3);
}

TEST(ParserStatements, CallsWithAndWithoutParentheses) {
  auto chunk = Parse("Foo 1, 2\nFoo\nCall Foo(1, 2)\nFoo (1)\nFoo (1) + 2, 3\nFoo , 2\nobj.Bar 1\nFoo(1)");
  const auto& st = chunk->statements;
  ASSERT_EQ(st.size(), 8u);
  for (const Stmt* s : st) EXPECT_EQ(s->kind, StmtKind::CallStmt);
  EXPECT_EQ(Print(st[0]->lhs), "Foo");
  ASSERT_EQ(st[0]->args.size(), 2u);
  EXPECT_TRUE(st[1]->args.empty());
  EXPECT_EQ(st[2]->args.size(), 2u);
  // `Foo (1)`: the parentheses pass the argument by value.
  ASSERT_EQ(st[3]->args.size(), 1u);
  EXPECT_EQ(Print(st[3]->args[0]), "(paren 1)");
  ASSERT_EQ(st[4]->args.size(), 2u);
  EXPECT_EQ(Print(st[4]->args[0]), "(+ (paren 1) 2)");
  ASSERT_EQ(st[5]->args.size(), 2u);
  EXPECT_EQ(Print(st[5]->args[0]), "<missing>");
  EXPECT_EQ(Print(st[6]->lhs), "(. obj Bar)");
  EXPECT_EQ(Print(st[7]->args[0]), "(paren 1)");
}

TEST(ParserStatements, AssignmentsSetAndLet) {
  auto chunk = Parse("a(1, 2) = 3\nSet o = Nothing\nLet b = 1\no.p = 2");
  const auto& st = chunk->statements;
  ASSERT_EQ(st.size(), 4u);
  EXPECT_EQ(st[0]->kind, StmtKind::Assign);
  EXPECT_EQ(Print(st[0]->lhs), "(call a 1 2)");
  EXPECT_EQ(st[1]->kind, StmtKind::Set);
  EXPECT_EQ(st[2]->kind, StmtKind::Assign);
  EXPECT_EQ(Print(st[3]->lhs), "(. o p)");
}

TEST(ParserStatements, DeclarationsAtScriptLevel) {
  auto chunk = Parse(
      "Option Explicit\nDim a, b(3), c(2, 4), d()\nReDim Preserve b(n + 1)\nConst K = 5, L = \"x\"\n"
      "Private p\nPublic q(1)\nPrivate Const M = 1\nErase b, c");
  EXPECT_TRUE(chunk->optionExplicit);
  const auto& st = chunk->statements;
  ASSERT_EQ(st.size(), 7u);
  ASSERT_EQ(st[0]->dims.size(), 4u);
  EXPECT_FALSE(st[0]->dims[0].isArray);
  EXPECT_EQ(st[0]->dims[1].bounds.size(), 1u);
  EXPECT_EQ(st[0]->dims[2].bounds.size(), 2u);
  EXPECT_TRUE(st[0]->dims[3].isArray);
  EXPECT_TRUE(st[0]->dims[3].bounds.empty());
  EXPECT_EQ(st[0]->dims[1].column, 8);
  EXPECT_EQ(st[1]->kind, StmtKind::ReDim);
  EXPECT_TRUE(st[1]->preserve);
  EXPECT_EQ(Print(st[1]->dims[0].bounds[0]), "(+ n 1)");
  EXPECT_EQ(st[2]->kind, StmtKind::Const);
  ASSERT_EQ(st[2]->dims.size(), 2u);
  EXPECT_EQ(Print(st[2]->dims[1].bounds[0]), "\"x\"");
  EXPECT_FALSE(st[3]->isPublic);
  EXPECT_TRUE(st[4]->isPublic);
  EXPECT_EQ(st[5]->kind, StmtKind::Const);
  EXPECT_FALSE(st[5]->isPublic);
  EXPECT_EQ(st[6]->kind, StmtKind::Erase);
  EXPECT_EQ(st[6]->dims.size(), 2u);
}

TEST(ParserProcedures, SubsFunctionsAndParameters) {
  auto chunk = Parse(
      "Sub Main()\n  x = 1\nEnd Sub\n"
      "Private Function Twice(ByVal n, ByRef m, k, arr())\n  Twice = n * 2\n  Exit Function\nEnd Function\n"
      "sub lower\nend sub\n");
  ASSERT_EQ(chunk->procedures.size(), 3u);
  const Procedure* main = chunk->procedures[0];
  EXPECT_EQ(main->kind, ProcKind::Sub);
  EXPECT_EQ(main->name, "Main");
  EXPECT_TRUE(main->params.empty());
  EXPECT_EQ(main->body.size(), 1u);
  EXPECT_EQ(main->line, 1);
  const Procedure* twice = chunk->procedures[1];
  EXPECT_EQ(twice->kind, ProcKind::Function);
  EXPECT_FALSE(twice->isPublic);
  ASSERT_EQ(twice->params.size(), 4u);
  EXPECT_FALSE(twice->params[0].byRef);
  EXPECT_TRUE(twice->params[1].byRef);
  EXPECT_TRUE(twice->params[2].byRef);  // ByRef is the default
  EXPECT_TRUE(twice->params[3].isArray);
  ASSERT_EQ(twice->body.size(), 2u);
  EXPECT_EQ(twice->body[1]->kind, StmtKind::Exit);
  EXPECT_EQ(twice->body[1]->exit, ExitKind::Function);
  EXPECT_EQ(chunk->procedures[2]->name, "lower");
  EXPECT_TRUE(chunk->statements.empty());
}

TEST(ParserBlocks, IfElseIfElse) {
  auto chunk = Parse(
      "If a Then\n  x = 1\nElseIf b Then\n  x = 2\n  y = 2\nElseIf c Then x = 3\nElse\n  x = 4\nEnd If");
  ASSERT_EQ(chunk->statements.size(), 1u);
  const Stmt* s = chunk->statements[0];
  EXPECT_EQ(s->kind, StmtKind::If);
  ASSERT_EQ(s->conditions.size(), 3u);
  ASSERT_EQ(s->blocks.size(), 4u);
  EXPECT_TRUE(s->hasElse);
  EXPECT_EQ(s->blocks[1].size(), 2u);
  EXPECT_EQ(s->blocks[2].size(), 1u);
  EXPECT_EQ(s->blocks[3].size(), 1u);
}

TEST(ParserBlocks, OneLineIf) {
  auto chunk = Parse("If a Then x = 1 : y = 2 Else z = 3 : w = 4\nIf b Then Foo\nIf c Then If d Then e = 1 Else e = 2");
  const auto& st = chunk->statements;
  ASSERT_EQ(st.size(), 3u);
  ASSERT_EQ(st[0]->blocks.size(), 2u);
  EXPECT_EQ(st[0]->blocks[0].size(), 2u);
  EXPECT_EQ(st[0]->blocks[1].size(), 2u);
  EXPECT_TRUE(st[0]->hasElse);
  EXPECT_EQ(st[1]->blocks.size(), 1u);
  EXPECT_FALSE(st[1]->hasElse);
  // The Else belongs to the inner If.
  ASSERT_EQ(st[2]->blocks.size(), 1u);
  ASSERT_EQ(st[2]->blocks[0].size(), 1u);
  EXPECT_TRUE(st[2]->blocks[0][0]->hasElse);
}

TEST(ParserBlocks, Loops) {
  auto chunk = Parse(
      "For i = 1 To 10 Step -2\n  s = s + i\nNext\n"
      "For Each v In arr\nNext v\n"
      "Do While i < 3\n  i = i + 1\n  If i = 2 Then Exit Do\nLoop\n"
      "Do\nLoop Until i > 5\n"
      "Do Until done : Loop\n"
      "While x\n  x = x - 1\nWend\n"
      "For k = 0 To 1 : Exit For : Next k");
  const auto& st = chunk->statements;
  ASSERT_EQ(st.size(), 7u);
  EXPECT_EQ(st[0]->kind, StmtKind::For);
  EXPECT_EQ(st[0]->name, "i");
  EXPECT_EQ(Print(st[0]->step), "(neg 2)");
  EXPECT_EQ(st[0]->nameColumn, 5);
  EXPECT_EQ(st[1]->kind, StmtKind::ForEach);
  EXPECT_EQ(Print(st[1]->expr), "arr");
  EXPECT_EQ(st[2]->kind, StmtKind::Do);
  EXPECT_EQ(st[2]->pre, LoopCond::While);
  EXPECT_EQ(st[2]->post, LoopCond::None);
  EXPECT_EQ(st[3]->pre, LoopCond::None);
  EXPECT_EQ(st[3]->post, LoopCond::Until);
  EXPECT_EQ(st[4]->pre, LoopCond::Until);
  EXPECT_EQ(st[5]->kind, StmtKind::While);
  EXPECT_EQ(st[6]->body.size(), 1u);
}

TEST(ParserBlocks, SelectCase) {
  auto chunk = Parse(
      "Select Case n\n  Case 1, 2, 3\n    a = 1\n  Case 4 To 9, Is >= 100\n    a = 2\n  Case \"x\": a = 3\n"
      "  Case Else\n    a = 4\nEnd Select");
  const Stmt* s = chunk->statements[0];
  EXPECT_EQ(s->kind, StmtKind::Select);
  ASSERT_EQ(s->cases.size(), 4u);
  EXPECT_EQ(s->cases[0].items.size(), 3u);
  ASSERT_EQ(s->cases[1].items.size(), 2u);
  EXPECT_EQ(s->cases[1].items[0].kind, CaseItem::Range);
  EXPECT_EQ(s->cases[1].items[1].kind, CaseItem::IsCompare);
  EXPECT_EQ(s->cases[1].items[1].op, CompareOp::Ge);
  EXPECT_EQ(s->cases[2].body.size(), 1u);
  EXPECT_TRUE(s->cases[3].isElse);
  EXPECT_EQ(s->cases[3].line, 7);
  EXPECT_TRUE(Parse("Select Case x\nEnd Select")->statements[0]->cases.empty());
}

TEST(ParserBlocks, WithAndOnError) {
  auto chunk = Parse("With obj\n  .a = 1\n  .b.c 2\n  x = .d\nEnd With\nOn Error Resume Next\nOn Error GoTo 0");
  const auto& st = chunk->statements;
  ASSERT_EQ(st.size(), 3u);
  EXPECT_EQ(st[0]->kind, StmtKind::With);
  ASSERT_EQ(st[0]->body.size(), 3u);
  EXPECT_EQ(Print(st[0]->body[0]->lhs), "(. <with> a)");
  EXPECT_EQ(Print(st[0]->body[1]->lhs), "(. (. <with> b) c)");
  EXPECT_EQ(Print(st[0]->body[2]->expr), "(. <with> d)");
  EXPECT_TRUE(st[1]->resumeNext);
  EXPECT_FALSE(st[2]->resumeNext);
}

TEST(ParserLayout, SeparatorsCommentsAndContinuations) {
  auto chunk = Parse(
      "' heading\nRem another\n\n  a = 1 : b = 2 ' trailing\r\n: : c = _\n   3\r\nIF a THEN b = 1 ELSE b = 2 END IF\n");
  const auto& st = chunk->statements;
  ASSERT_EQ(st.size(), 4u);
  EXPECT_EQ(st[1]->column, 11);
  EXPECT_EQ(st[2]->line, 5);
  EXPECT_EQ(Print(st[2]->expr), "3");
  EXPECT_EQ(st[3]->kind, StmtKind::If);
}

TEST(ParserClasses, FieldsAndProperties) {
  auto chunk = Parse(
      "Class Point\n  Public X, Y\n  Private m(2)\n  Dim z\n"
      "  Public Property Get Length()\n    Length = Sqr(X * X + Y * Y)\n  End Property\n"
      "  Public Property Let Name(v)\n  End Property\n"
      "  Public Default Function Text()\n    Text = X & \",\" & Y\n  End Function\n"
      "  Private Sub Class_Initialize()\n    Set Me.Self = Me\n  End Sub\nEnd Class");
  ASSERT_EQ(chunk->classes.size(), 1u);
  const ClassDecl* c = chunk->classes[0];
  EXPECT_EQ(c->name, "Point");
  ASSERT_EQ(c->fields.size(), 4u);
  EXPECT_FALSE(c->fields[2].isPublic);
  EXPECT_TRUE(c->fields[2].dim.isArray);
  ASSERT_EQ(c->procedures.size(), 4u);
  EXPECT_EQ(c->procedures[0]->kind, ProcKind::PropertyGet);
  EXPECT_EQ(c->procedures[1]->kind, ProcKind::PropertyLet);
  EXPECT_TRUE(c->procedures[2]->isDefault);
  EXPECT_FALSE(c->procedures[3]->isPublic);
}

}  // namespace
}  // namespace lumetrix::vbs
