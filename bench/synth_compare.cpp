// Offline comparison of FluidSynth set-ups on the game's music: each piece is
// rendered whole with the program's settings and with a variant, and the
// variant's cost (CPU per second of music) and difference are printed:
// error-to-signal ratio, the largest change of loudness over 100 ms windows
// and of the side (stereo width) signal, and the most voices that sounded.
// Run by hand: synth_compare DATA_DIR
#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
const char* kSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

void Quiet(int, const char*, void*) {}

struct Variant {
  const char* name;
  std::function<void(fluid_settings_t*)> settings;
  std::function<void(fluid_synth_t*)> synth;
};

struct Render {
  std::vector<float> pcm;  // interleaved stereo
  double cpuSeconds = 0;
  int maxVoices = 0;
};

Render RenderPiece(const std::string& file, const Variant& v) {
  fluid_settings_t* s = new_fluid_settings();
  fluid_settings_setnum(s, "synth.sample-rate", kRate);
  fluid_settings_setnum(s, "synth.gain", 0.8);
  fluid_settings_setint(s, "synth.lock-memory", 0);
  fluid_settings_setstr(s, "player.timing-source", "sample");
  if (v.settings) v.settings(s);
  fluid_synth_t* synth = new_fluid_synth(s);
  fluid_synth_sfload(synth, kSoundFont, 1);
  if (v.synth) v.synth(synth);
  fluid_player_t* player = new_fluid_player(synth);
  fluid_player_add(player, file.c_str());
  fluid_player_play(player);
  Render r;
  float buf[2 * 512];
  int tail = 2 * kRate / 512;  // the ring after the last event, as the game renders it
  const auto t0 = std::chrono::steady_clock::now();
  while (tail > 0) {
    fluid_synth_write_float(synth, 512, buf, 0, 2, buf, 1, 2);
    r.pcm.insert(r.pcm.end(), buf, buf + 1024);
    r.maxVoices = std::max(r.maxVoices, fluid_synth_get_active_voice_count(synth));
    if (fluid_player_get_status(player) == FLUID_PLAYER_DONE) --tail;
  }
  r.cpuSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  delete_fluid_player(player);
  delete_fluid_synth(synth);
  delete_fluid_settings(s);
  return r;
}

double Db(double ratio) { return ratio > 0 ? 10 * std::log10(ratio) : -200; }

// Largest change in dB of the 100 ms loudness of mid (L+R) and side (L-R), where the reference is above -50 dBFS.
void WindowChange(const std::vector<float>& a, const std::vector<float>& b, double& mid, double& side) {
  const size_t w = kRate / 10;
  const size_t frames = std::min(a.size(), b.size()) / 2;
  mid = side = 0;
  for (size_t f0 = 0; f0 + w <= frames; f0 += w) {
    double ma = 0, mb = 0, sa = 0, sb = 0;
    for (size_t f = f0; f < f0 + w; ++f) {
      const double am = a[2 * f] + a[2 * f + 1], bm = b[2 * f] + b[2 * f + 1];
      const double as = a[2 * f] - a[2 * f + 1], bs = b[2 * f] - b[2 * f + 1];
      ma += am * am, mb += bm * bm, sa += as * as, sb += bs * bs;
    }
    if (Db(ma / double(w) / 4) > -50) mid = std::max(mid, std::abs(Db(mb / ma)));
    if (Db(sa / double(w) / 4) > -50) side = std::max(side, std::abs(Db(sb / sa)));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DATA_DIR\n", argv[0]);
    return 2;
  }
  for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) fluid_set_log_function(level, Quiet, nullptr);
  const std::vector<Variant> variants = {
      {"program's set-up", nullptr, nullptr},
      {"dynamic sample loading", [](fluid_settings_t* s) { fluid_settings_setint(s, "synth.dynamic-sample-loading", 1); }, nullptr},
      {"polyphony 64", [](fluid_settings_t* s) { fluid_settings_setint(s, "synth.polyphony", 64); }, nullptr},
      {"polyphony 32", [](fluid_settings_t* s) { fluid_settings_setint(s, "synth.polyphony", 32); }, nullptr},
      {"linear interpolation", nullptr, [](fluid_synth_t* y) { fluid_synth_set_interp_method(y, -1, FLUID_INTERP_LINEAR); }},
      {"7-point interpolation", nullptr, [](fluid_synth_t* y) { fluid_synth_set_interp_method(y, -1, FLUID_INTERP_7THORDER); }},
      {"chorus off", [](fluid_settings_t* s) { fluid_settings_setint(s, "synth.chorus.active", 0); }, nullptr},
      {"reverb off", [](fluid_settings_t* s) { fluid_settings_setint(s, "synth.reverb.active", 0); }, nullptr},
      {"2 cpu cores", [](fluid_settings_t* s) { fluid_settings_setint(s, "synth.cpu-cores", 2); }, nullptr},
  };
  std::printf("| variant | piece | CPU %% of a core | error/signal dB | max loudness change dB | max width change dB | most voices |\n|---|---|---|---|---|---|---|\n");
  for (int piece = 0; piece <= 8; ++piece) {
    const std::string file = std::string(argv[1]) + "/" + std::to_string(piece) + ".mid";
    const Render base = RenderPiece(file, variants[0]);
    const double seconds = double(base.pcm.size()) / 2 / kRate;
    for (const Variant& v : variants) {
      const Render r = &v == &variants[0] ? base : RenderPiece(file, v);
      double err = 0, sig = 0;
      const size_t n = std::min(r.pcm.size(), base.pcm.size());
      for (size_t i = 0; i < n; ++i) {
        sig += double(base.pcm[i]) * base.pcm[i];
        err += double(r.pcm[i] - base.pcm[i]) * (r.pcm[i] - base.pcm[i]);
      }
      double mid, side;
      WindowChange(base.pcm, r.pcm, mid, side);
      std::printf("| %s | %d.mid | %.2f | %.1f | %.2f | %.2f | %d |\n", v.name, piece, 100 * r.cpuSeconds / seconds,
                  Db(err / sig), mid, side, r.maxVoices);
    }
  }
  return 0;
}
