// How long composing the window's picture takes: a whole frame, and what one
// flight tick costs (the ball's old and new rectangles).
#include <benchmark/benchmark.h>

#include "tests/support/game_harness.h"

namespace tv {
namespace {

struct Playfield {
  test::Game game;
  Playfield() {
    game.Start();
    game.StartMode(1);
    game.form->Surface().Update();
  }
};

void BM_ComposeFullFrame(benchmark::State& state) {
  Playfield p;
  Compositor& s = p.game.form->Surface();
  for (auto _ : state) {
    s.InvalidateAll();
    s.Update();
    benchmark::DoNotOptimize(s.Framebuffer().pixels.data());
  }
}
BENCHMARK(BM_ComposeFullFrame);

void BM_RecomposeAfterOneBallMove(benchmark::State& state) {
  Playfield p;
  TForm1& f = *p.game.form;
  int dx = 1;
  for (auto _ : state) {
    f.Image2.SetLeft(f.Image2.Left() + dx);
    dx = -dx;
    f.Surface().Update();
    benchmark::DoNotOptimize(f.Surface().TakeChanged());
  }
}
BENCHMARK(BM_RecomposeAfterOneBallMove);

// The game's own work per flight tick, in virtual time: path, hit test, move, recompose.
void BM_FlightTicks(benchmark::State& state) {
  Playfield p;
  TForm1& f = *p.game.form;
  GameState& g = p.game.state;
  f.Image4.SetTop(100);
  for (auto _ : state) {
    state.PauseTiming();
    g.Turn = kKullanici1;
    g.Angle = 60;
    g.Power = 100;
    g.FlightTime = 0.0;
    g.LaunchLeft = f.Image1.Left() + 17;
    g.LaunchTop = 200;
    g.Phase = kHareket;
    state.ResumeTiming();
    for (int i = 0; i < 100; ++i) {
      f.Timer1Timer();
      f.Surface().Update();
    }
  }
  state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_FlightTicks);

}  // namespace
}  // namespace tv
