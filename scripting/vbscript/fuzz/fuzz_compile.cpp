// libFuzzer target: lexer, parser and compiler. Source that parses is compiled into a fresh
// program (twice, as two chunks, the way a host adds code step by step); the code produced
// must keep its jumps and statement ranges inside the procedure.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "vbscript/compiler.h"
#include "vbscript/parser.h"

using namespace lumetrix::vbs;

namespace {

bool IsJump(Op op) { return op == Op::Jmp || op == Op::JmpFalse || op == Op::JmpTrue; }
bool JumpsViaD(Op op) { return op == Op::ForPrep || op == Op::ForStep || op == Op::ForEachNext; }

void CheckProc(const Proc& p) {
  const long size = static_cast<long>(p.code.size());
  fuzz::Check(p.slotCount >= 0, "negative slot count", p.slotCount);
  fuzz::Check(p.paramCount >= 0 && p.paramCount <= p.slotCount, "parameters beyond the frame", p.paramCount,
              p.slotCount);
  fuzz::Check(p.byRef.size() == static_cast<size_t>(p.paramCount), "ByRef flags do not match the parameters",
              static_cast<long>(p.byRef.size()), p.paramCount);
  for (long i = 0; i < size; ++i) {
    const Instr& in = p.code[static_cast<size_t>(i)];
    if (IsJump(in.op)) fuzz::Check(in.a >= 0 && in.a <= size, "jump outside the procedure", i, in.a);
    if (JumpsViaD(in.op)) fuzz::Check(in.d >= 0 && in.d <= size, "loop exit outside the procedure", i, in.d);
  }
  for (const StatementRange& r : p.statements) {
    fuzz::Check(r.begin <= r.end && r.end <= static_cast<uint32_t>(size), "statement range outside the code",
                r.begin, r.end);
    fuzz::Check(r.line >= 1 && r.column >= 1, "statement without a position", r.line, r.column);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view src(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<ast::Chunk> chunk;
  try {
    chunk = Parse(src);
  } catch (const SourceError& e) {
    fuzz::CheckSourceError(e, src);
    return 0;
  }
  Program program;
  for (int index = 0; index < 2; ++index) {
    try {
      size_t before = program.procs.size();
      Proc* global = CompileChunk(program, *chunk, index);
      fuzz::Check(global != nullptr, "no script-level code returned");
      CheckProc(*global);
      for (size_t i = before; i < program.procs.size(); ++i) CheckProc(*program.procs[i]);
    } catch (const SourceError& e) {
      fuzz::CheckSourceError(e, src, true);
    } catch (const ScriptError& e) {
      // The compiler's contract is SourceError (with a position) for everything it refuses.
      fuzz::Fail("compiler threw a ScriptError without a position", e.number);
    }
  }
  return 0;
}
