// The engine's speed: the 10-million-iteration arithmetic loop beside the same loop in
// Lua 5.4 (the ratio is reported as the counter "x_lua" of the VBScript run), and a typical
// animation script that calls a host object 1e5 times.
#include <benchmark/benchmark.h>

#include <lua.hpp>

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "bench/support/cpu_time.h"
#include "vbscript/script_control.h"

namespace {

using namespace lumetrix::vbs;

constexpr int64_t kLoopIterations = 10'000'000;

// Sum of (2i mod 7) for i = 1..n: what both loops must return.
int64_t ExpectedLoopSum(int64_t n) {
  int64_t s = 0;
  for (int64_t i = 1; i <= n; ++i) s += i * 2 % 7;
  return s;
}

const char* const kLuaLoop =
    "local s = 0\n"
    "for i = 1, 10000000 do\n"
    "  s = s + i * 2 % 7\n"
    "end\n"
    "return s\n";

const char* const kVbsLoop =
    "Function Loop10M()\n"
    "  Dim s, i\n"
    "  s = 0\n"
    "  For i = 1 To 10000000\n"
    "    s = s + i * 2 Mod 7\n"
    "  Next\n"
    "  Loop10M = s\n"
    "End Function\n";

// Both clocks per run: the machine may be shared, so the ratio is taken on the thread's CPU
// time ("x_lua"); the wall-clock ratio is given beside it ("x_lua_wall").
struct Clocks {
  double cpu = 0, wall = 0;
  static double ThreadCpu() { return lumetrix::bench::ThreadCpuSeconds(); }
  static double Wall() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }
};

class Stopwatch {
 public:
  Stopwatch() : cpu0_(Clocks::ThreadCpu()), wall0_(Clocks::Wall()) {}
  void addTo(Clocks& c) const {
    c.cpu += Clocks::ThreadCpu() - cpu0_;
    c.wall += Clocks::Wall() - wall0_;
  }

 private:
  double cpu0_, wall0_;
};

Clocks g_luaPerRun;  // measured by the Lua run, which is registered first

void BM_Lua54_Loop10M(benchmark::State& state) {
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  if (luaL_loadstring(L, kLuaLoop) != LUA_OK) {
    state.SkipWithError(lua_tostring(L, -1));
    lua_close(L);
    return;
  }
  const int64_t expected = ExpectedLoopSum(kLoopIterations);
  Clocks total;
  int64_t runs = 0;
  for (auto _ : state) {
    lua_pushvalue(L, -1);  // keep the compiled chunk for the next run
    Stopwatch watch;
    if (lua_pcall(L, 0, 1, 0) != LUA_OK) {
      state.SkipWithError(lua_tostring(L, -1));
      break;
    }
    watch.addTo(total);
    ++runs;
    int64_t s = lua_tointeger(L, -1);
    lua_pop(L, 1);
    if (s != expected) {
      state.SkipWithError("Lua loop computed a wrong sum");
      break;
    }
  }
  lua_close(L);
  if (runs) g_luaPerRun = {total.cpu / static_cast<double>(runs), total.wall / static_cast<double>(runs)};
  state.SetItemsProcessed(state.iterations() * kLoopIterations);
}
BENCHMARK(BM_Lua54_Loop10M)->Unit(benchmark::kMillisecond);

void BM_VBScript_Loop10M(benchmark::State& state) {
  ScriptControl sc;
  sc.SetTimeout(-1);
  if (!sc.AddCode(kVbsLoop)) {
    state.SkipWithError(("AddCode failed: " + sc.Error().Description).c_str());
    return;
  }
  const int64_t expected = ExpectedLoopSum(kLoopIterations);
  Clocks total;
  int64_t runs = 0;
  for (auto _ : state) {
    Stopwatch watch;
    Variant s = sc.Run("Loop10M");
    watch.addTo(total);
    ++runs;
    if (sc.Error().Number != 0) {
      state.SkipWithError(("Run failed: " + sc.Error().Description).c_str());
      break;
    }
    if (static_cast<int64_t>(ToDouble(s)) != expected) {
      state.SkipWithError("VBScript loop computed a wrong sum");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kLoopIterations);
  if (runs && g_luaPerRun.cpu > 0 && g_luaPerRun.wall > 0) {
    state.counters["x_lua"] = total.cpu / static_cast<double>(runs) / g_luaPerRun.cpu;
    state.counters["x_lua_wall"] = total.wall / static_cast<double>(runs) / g_luaPerRun.wall;
  }
}
BENCHMARK(BM_VBScript_Loop10M)->Unit(benchmark::kMillisecond);

// The shape of the viewer's script object: setters that store a value, and a draw call.
class FakeViewer : public HostObject {
 public:
  std::vector<std::string> MemberNames() const override { return {"SetXRot", "SetYRot", "SetZoom", "DrawImage"}; }
  Variant Invoke(int member, std::span<const Variant> args) override {
    if (member < 3) {
      if (args.size() != 1) throw ScriptError(450);
      values[member] = ToSingle(args[0]);
    } else {
      ++frames;
    }
    return Variant();
  }
  float values[3] = {0, 0, 0};
  int64_t frames = 0;
};

// 25000 frames, four host calls each: bare and qualified setters, and the draw call.
const char* const kAnimation =
    "Sub Main()\n"
    "  Dim frame, angle\n"
    "  For frame = 1 To 25000\n"
    "    angle = (frame * 3.6) Mod 360\n"
    "    SetXRot angle\n"
    "    Draw.SetYRot angle / 2\n"
    "    SetZoom 1 + frame / 25000\n"
    "    DrawImage\n"
    "  Next\n"
    "End Sub\n";

void BM_VBScript_AnimationHostCalls(benchmark::State& state) {
  ScriptControl sc;
  sc.SetTimeout(-1);
  auto viewer = std::make_shared<FakeViewer>();
  sc.AddObject("Draw", viewer, true);
  if (!sc.AddCode(kAnimation)) {
    state.SkipWithError(("AddCode failed: " + sc.Error().Description).c_str());
    return;
  }
  for (auto _ : state) {
    sc.Run("Main");
    if (sc.Error().Number != 0) {
      state.SkipWithError(("Run failed: " + sc.Error().Description).c_str());
      break;
    }
  }
  if (viewer->frames != 25000 * static_cast<int64_t>(state.iterations()))
    state.SkipWithError("the script did not draw every frame");
  state.SetItemsProcessed(state.iterations() * 100'000);  // host calls
}
BENCHMARK(BM_VBScript_AnimationHostCalls)->Unit(benchmark::kMillisecond);

// Compiling a script of a few hundred lines (what AddCode costs before a run).
void BM_VBScript_AddCode(benchmark::State& state) {
  std::string source;
  for (int i = 0; i < 100; ++i) {
    std::string n = std::to_string(i);
    source += "Function F" + n + "(a, b)\n  Dim t\n  t = a * " + n + " + b\n  If t > 10 Then t = t Mod 10\n"
              "  F" + n + " = t\nEnd Function\n";
  }
  for (auto _ : state) {
    ScriptControl sc;
    if (!sc.AddCode(source)) {
      state.SkipWithError(("AddCode failed: " + sc.Error().Description).c_str());
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_VBScript_AddCode)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
