#pragma once
// Compiler: syntax tree of one chunk -> procedures of the program. Every name is resolved here
// (frame slot, global slot, constant, procedure, host member, built-in); only names that a later
// chunk may still define are left late-bound.
#include <string>
#include <vector>

#include "program.h"

namespace lumetrix::vbs {

// Adds the chunk's procedures, classes, variables and constants to `program` and returns the
// chunk's script-level code, which the caller runs once. Throws SourceError (syntax and other
// compile-time errors); the program may then hold some of the chunk's global names.
Proc* CompileChunk(Program& program, const ast::Chunk& chunk, int chunkIndex);

// The lines of a source text (CR LF, CR and LF end a line), kept for error reports.
std::vector<std::string> SplitLines(const std::string& source);

}  // namespace lumetrix::vbs
