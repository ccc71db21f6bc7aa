#pragma once
// Syntax tree of one chunk of source. Nodes live in the chunk's arena, so freeing a deeply nested
// tree never recurses.
#include <memory>
#include <string>
#include <vector>

#include "operators.h"
#include "variant.h"

namespace lumetrix::vbs::ast {

enum class ExprKind : uint8_t { Literal, Name, Member, Call, Unary, Binary, Compare, Is, New, Me, Paren, Missing };
enum class UnaryOp : uint8_t { Neg, Not, Plus };
enum class CompareOp : uint8_t { Eq, Ne, Lt, Gt, Le, Ge };

struct Expr {
  ExprKind kind;
  int line = 0, column = 0;
  int depth = 1;                 // height of the subtree (bounded by the parser)
  Variant value;                 // Literal
  std::string name;              // Name, Member (member name), New (class name)
  Expr* target = nullptr;        // Member object (nullptr: the With object), Call callee, Unary/Paren operand
  Expr* left = nullptr;          // Binary/Compare/Is
  Expr* right = nullptr;
  std::vector<Expr*> args;       // Call arguments
  BinaryOp binary = BinaryOp::Add;
  UnaryOp unary = UnaryOp::Neg;
  CompareOp compare = CompareOp::Eq;
};

enum class StmtKind : uint8_t {
  Assign, Set, CallStmt, Dim, ReDim, Const, If, For, ForEach, Do, While, Select, With, OnError, Exit, Erase,
};

enum class ExitKind : uint8_t { Sub, Function, Property, For, Do };
enum class LoopCond : uint8_t { None, While, Until };

struct Stmt;
using Block = std::vector<Stmt*>;

struct DimItem {
  std::string name;
  int line = 0, column = 0;
  bool isArray = false;         // written with parentheses
  std::vector<Expr*> bounds;    // upper bounds (empty for `Dim a()`)
};

struct CaseItem {
  enum Kind : uint8_t { Value, Range, IsCompare } kind = Value;
  CompareOp op = CompareOp::Eq;
  Expr* a = nullptr;
  Expr* b = nullptr;
};

struct CaseClause {
  std::vector<CaseItem> items;  // empty for Case Else
  bool isElse = false;
  int line = 0, column = 0;
  Block body;
};

struct Stmt {
  StmtKind kind;
  int line = 0, column = 0;
  Expr* lhs = nullptr;     // Assign/Set target, CallStmt callee expression
  Expr* expr = nullptr;    // right side, condition, For start, With object, Select subject, ForEach collection
  Expr* to = nullptr;      // For end
  Expr* step = nullptr;    // For step
  std::string name;        // For variable
  int nameLine = 0, nameColumn = 0;
  std::vector<Expr*> args; // CallStmt arguments
  std::vector<DimItem> dims;  // Dim, ReDim, Erase (names only), Const (bounds[0] holds the value)
  bool preserve = false;   // ReDim Preserve
  bool resumeNext = false; // On Error
  bool isPublic = true;    // script-level Dim/Const declared Private
  ExitKind exit = ExitKind::Sub;
  LoopCond pre = LoopCond::None, post = LoopCond::None;
  std::vector<Expr*> conditions;  // If / ElseIf conditions
  std::vector<Block> blocks;      // If / ElseIf blocks, then the Else block
  bool hasElse = false;
  std::vector<CaseClause> cases;
  Block body;
};

enum class ProcKind : uint8_t { Sub, Function, PropertyGet, PropertyLet, PropertySet };

struct Param {
  std::string name;
  bool byRef = true;
  bool isArray = false;
};

struct Procedure {
  ProcKind kind = ProcKind::Sub;
  std::string name;
  int line = 0, column = 0;
  bool isPublic = true;
  bool isDefault = false;
  std::vector<Param> params;
  Block body;
};

struct ClassDecl {
  std::string name;
  int line = 0, column = 0;
  struct Field {
    std::string name;
    bool isPublic = true;
    DimItem dim;
  };
  std::vector<Field> fields;
  std::vector<Procedure*> procedures;
};

struct Chunk {
  bool optionExplicit = false;
  Block statements;                  // script-level code, run once when the chunk is added
  std::vector<Procedure*> procedures;
  std::vector<ClassDecl*> classes;

  Expr* newExpr(ExprKind k, int line, int col) {
    exprs.push_back(std::make_unique<Expr>());
    Expr* e = exprs.back().get();
    e->kind = k;
    e->line = line;
    e->column = col;
    return e;
  }
  Stmt* newStmt(StmtKind k, int line, int col) {
    stmts.push_back(std::make_unique<Stmt>());
    Stmt* s = stmts.back().get();
    s->kind = k;
    s->line = line;
    s->column = col;
    return s;
  }
  Procedure* newProcedure() {
    procs.push_back(std::make_unique<Procedure>());
    return procs.back().get();
  }
  ClassDecl* newClass() {
    classStore.push_back(std::make_unique<ClassDecl>());
    return classStore.back().get();
  }

 private:
  std::vector<std::unique_ptr<Expr>> exprs;
  std::vector<std::unique_ptr<Stmt>> stmts;
  std::vector<std::unique_ptr<Procedure>> procs;
  std::vector<std::unique_ptr<ClassDecl>> classStore;
};

}  // namespace lumetrix::vbs::ast
