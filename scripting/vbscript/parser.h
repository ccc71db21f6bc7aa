#pragma once
// Parser: tokens -> syntax tree. Nesting (expressions and blocks) is bounded so hostile input
// cannot exhaust the C++ stack; too deep nesting is reported as "Out of stack space".
#include <memory>
#include <string_view>

#include "ast.h"
#include "lexer.h"

namespace lumetrix::vbs {

constexpr int kMaxParseNesting = 200;   // parentheses, unary operators, nested blocks
constexpr int kMaxExpressionDepth = 1000;  // height of an expression tree (long operator chains)

// Throws SourceError on a syntax error.
std::unique_ptr<ast::Chunk> Parse(std::string_view source);

}  // namespace lumetrix::vbs
