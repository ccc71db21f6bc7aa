#pragma once
// Helpers of the parser tests: parse a script and print its trees in a compact prefix form.
#include <initializer_list>
#include <string>
#include <string_view>

#include "vbscript/parser.h"

namespace lumetrix::vbs::parser_test {

inline const char* BinaryName(BinaryOp op) {
  switch (op) {
    case BinaryOp::Add: return "+";
    case BinaryOp::Sub: return "-";
    case BinaryOp::Mul: return "*";
    case BinaryOp::Div: return "/";
    case BinaryOp::IntDiv: return "\\";
    case BinaryOp::Mod: return "Mod";
    case BinaryOp::Pow: return "^";
    case BinaryOp::Concat: return "&";
    case BinaryOp::And: return "And";
    case BinaryOp::Or: return "Or";
    case BinaryOp::Xor: return "Xor";
    case BinaryOp::Eqv: return "Eqv";
    case BinaryOp::Imp: return "Imp";
  }
  return "?";
}

inline const char* CompareName(ast::CompareOp op) {
  switch (op) {
    case ast::CompareOp::Eq: return "=";
    case ast::CompareOp::Ne: return "<>";
    case ast::CompareOp::Lt: return "<";
    case ast::CompareOp::Gt: return ">";
    case ast::CompareOp::Le: return "<=";
    case ast::CompareOp::Ge: return ">=";
  }
  return "?";
}

// Joins the pieces of a prefix form: "(" + head + " " + parts... + ")". (Built by appending:
// chains of std::string + trip a false -Wrestrict warning of GCC 12.)
inline std::string Form(std::initializer_list<std::string> parts) {
  std::string s = "(";
  bool first = true;
  for (const std::string& p : parts) {
    if (!first) s += ' ';
    s += p;
    first = false;
  }
  s += ')';
  return s;
}

// Literals print as their text (strings quoted), names as written, operators in prefix form:
// "1 + 2 * 3" -> "(+ 1 (* 2 3))"; calls as "(call f a b)", members as "(. obj name)".
inline std::string Print(const ast::Expr* e) {
  using ast::ExprKind;
  if (!e) return "<null>";
  switch (e->kind) {
    case ExprKind::Literal: {
      if (e->value.isEmpty()) return "Empty";
      if (e->value.isNull()) return "Null";
      if (e->value.isNothing()) return "Nothing";
      std::string s;
      if (e->value.isString()) s += '"';
      s += ToString(e->value);
      if (e->value.isString()) s += '"';
      return s;
    }
    case ExprKind::Name: return e->name;
    case ExprKind::Member: return Form({".", e->target ? Print(e->target) : std::string("<with>"), e->name});
    case ExprKind::Call: {
      std::string s = "(call ";
      s += Print(e->target);
      for (const ast::Expr* a : e->args) {
        s += ' ';
        s += Print(a);
      }
      s += ')';
      return s;
    }
    case ExprKind::Unary:
      return Form({e->unary == ast::UnaryOp::Neg ? "neg" : e->unary == ast::UnaryOp::Not ? "Not" : "pos", Print(e->target)});
    case ExprKind::Binary: return Form({BinaryName(e->binary), Print(e->left), Print(e->right)});
    case ExprKind::Compare: return Form({CompareName(e->compare), Print(e->left), Print(e->right)});
    case ExprKind::Is: return Form({"Is", Print(e->left), Print(e->right)});
    case ExprKind::New: return Form({"New", e->name});
    case ExprKind::Me: return "Me";
    case ExprKind::Paren: return Form({"paren", Print(e->target)});
    case ExprKind::Missing: return "<missing>";
  }
  return "?";
}

struct ParseFailure {
  int32_t number = 0;  // 0: parsed
  int line = 0, column = 0;
};

inline ParseFailure ParseError(std::string_view src) {
  ParseFailure f;
  try {
    Parse(src);
  } catch (const SourceError& e) {
    f.number = e.number;
    f.line = e.line;
    f.column = e.column;
  }
  return f;
}

}  // namespace lumetrix::vbs::parser_test
