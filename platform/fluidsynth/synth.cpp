#include "platform/fluidsynth/synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/files/late_library.h"
#include "platform/files/native_file.h"
#include "platform/sound/recorded_music.h"
#include "platform/sound/audio_mixer.h"

namespace tv {

namespace {

// FluidSynth is loaded when a piece first needs the synthesiser, not with the
// program: with every piece recorded the game never synthesises, and the
// library with all it brings (GLib, libinstpatch, JACK, PulseAudio) costs
// about 6 ms of CPU before the first picture. Loaded once and never let go,
// so nothing depends on the order of teardown.
#define TV_FLUID_FUNCTIONS(X)                                                                                 \
  X(new_fluid_settings) X(delete_fluid_settings) X(new_fluid_synth) X(delete_fluid_synth) X(new_fluid_player) \
  X(delete_fluid_player) X(fluid_audio_driver_register) X(fluid_set_log_function) X(fluid_settings_setint)    \
  X(fluid_settings_setnum) X(fluid_settings_setstr) X(fluid_synth_all_sounds_off) X(fluid_synth_sfload)       \
  X(fluid_synth_write_float) X(fluid_player_add_mem) X(fluid_player_get_status) X(fluid_player_play)          \
  X(fluid_player_stop)
TV_LATE_LIBRARY(gFluid, LoadFluid, TV_FLUID_FUNCTIONS, "FluidSynth", "music without its recording is silent",
                "libfluidsynth.so.3", "libfluidsynth.so")

// FluidSynth talks on stderr unless told otherwise; the game logs nothing.
void Quiet(int, const char*, void*) {}

// One setting the game gives FluidSynth: a number, an integer or a text.
struct GameSetting {
  const char* name;
  enum class Kind { Number, Integer, Text } kind;
  double number;
  const char* text;
};

// Every setting the game sets, the device's rate first; the rest are left at
// FluidSynth's defaults. The synthesiser, the recordings and their key are all
// made from this one table, so none can drift from the others.
std::vector<GameSetting> GameSettings() {
  using K = GameSetting::Kind;
  return {
      {"synth.sample-rate", K::Number, double(AudioMixer::kRate), nullptr},
      {"synth.gain", K::Number, 0.8, nullptr},
      {"synth.lock-memory", K::Integer, 0, nullptr},
      // Measured on the game's pieces (bench/synth_compare, docs/performance.md):
      // samples loaded as notes first need them hold 5 MiB less and sound the
      // same; 64 voices are more than any piece but the fifth level's uses, and
      // there the voices given up are the faintest ring, for half its cost.
      // Chorus, reverb, 4th-order interpolation and the device's rate are kept:
      // leaving any of them out is heard.
      {"synth.dynamic-sample-loading", K::Integer, 1, nullptr},
      {"synth.polyphony", K::Integer, 64, nullptr},
      // The sequence advances with the samples rendered, not a clock thread of its own.
      {"player.timing-source", K::Text, 0, "sample"},
  };
}

// The settings the game synthesises with, and makes its recordings with.
fluid_settings_t* NewGameSettings() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) gFluid.fluid_set_log_function(level, Quiet, nullptr);
    // FluidSynth's own audio drivers are never used (it renders into the SDL
    // device's buffers); registering none keeps new settings from probing
    // every sound card, PulseAudio and JACK.
    static const char* kNoDrivers[] = {nullptr};
    gFluid.fluid_audio_driver_register(kNoDrivers);
  });
  fluid_settings_t* settings = gFluid.new_fluid_settings();
  if (!settings) return nullptr;
  for (const GameSetting& s : GameSettings()) {
    switch (s.kind) {
      case GameSetting::Kind::Number: gFluid.fluid_settings_setnum(settings, s.name, s.number); break;
      case GameSetting::Kind::Integer: gFluid.fluid_settings_setint(settings, s.name, int(s.number)); break;
      case GameSetting::Kind::Text: gFluid.fluid_settings_setstr(settings, s.name, s.text); break;
    }
  }
  return settings;
}

constexpr int kMaxRing = 3 * AudioMixer::kRate;
constexpr float kQuiet = 1e-5f;  // -100 dB

}  // namespace

Synth::Synth() = default;

Synth::~Synth() {
  if (synth_) gFluid.delete_fluid_synth(synth_);
  if (settings_) gFluid.delete_fluid_settings(settings_);
}

bool Synth::Prepare() {
  std::call_once(prepared_, [this] {
    made_.store(true);
    if (!LoadFluid()) return;
    settings_ = NewGameSettings();
    if (!settings_) return;
    synth_ = gFluid.new_fluid_synth(settings_);
    if (!synth_) return;
    // The whole font, as FluidSynth loads it: only a piece without its
    // recording gets here, and it may play any preset.
    ready_ = gFluid.fluid_synth_sfload(synth_, SoundFontPath(), 1) != FLUID_FAILED;
  });
  return ready_;
}

const std::string& Synth::Identity() {
  std::call_once(identified_, [this] { identity_ = SynthIdentity(); });
  return identity_;
}

// No note held, and the reverb and chorus of a piece that was cut off rung
// out unheard, along with the rest of the last 64-frame block FluidSynth
// rendered before the cut. Voiceless rendering is cheap: about a second of
// ring in 2 ms.
void Synth::Reset() {
  gFluid.fluid_synth_all_sounds_off(synth_, -1);
  for (int frames = 0; frames < kMaxRing; frames += kChunk) {
    gFluid.fluid_synth_write_float(synth_, kChunk, scratch_, 0, 2, scratch_, 1, 2);
    float peak = 0;
    for (float v : scratch_) peak = std::max(peak, std::abs(v));
    if (peak < kQuiet) break;
  }
}

void Synth::RenderInto(float* out, int frames) {
  while (frames > 0) {
    const int n = std::min(frames, kChunk);
    gFluid.fluid_synth_write_float(synth_, n, scratch_, 0, 2, scratch_, 1, 2);
    for (int i = 0; i < 2 * n; ++i) out[i] += scratch_[i];
    out += 2 * n;
    frames -= n;
  }
}

std::string SynthIdentity() {
  const std::string font = SoundFontIdentity(SoundFontPath());
  if (font.empty()) return {};
  std::string text = "font " + font;
  for (const GameSetting& s : GameSettings()) {
    text += std::string("\n") + s.name + "=";
    if (s.kind == GameSetting::Kind::Text) {
      text += s.text;
    } else {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.17g", s.number);
      text += buf;
    }
  }
  return text;
}

bool RecordPiece(const std::vector<uint8_t>& piece, std::vector<float>& stereo, uint64_t& doneFrame) {
  stereo.clear();
  doneFrame = 0;
  if (!LoadFluid()) return false;
  fluid_settings_t* settings = NewGameSettings();
  if (!settings) return false;
  fluid_synth_t* synth = gFluid.new_fluid_synth(settings);
  fluid_player_t* player = nullptr;
  bool ok = synth && gFluid.fluid_synth_sfload(synth, SoundFontPath(), 1) != FLUID_FAILED;
  if (ok) player = gFluid.new_fluid_player(synth);
  ok = ok && player && gFluid.fluid_player_add_mem(player, piece.data(), piece.size()) == FLUID_OK;
  // The game starts a piece from its top on a quiet synthesiser after making
  // sure of the quiet (Synth::Reset): on a fresh one, one silent chunk.
  float quiet[2 * Synth::kChunk];
  if (ok) gFluid.fluid_synth_write_float(synth, Synth::kChunk, quiet, 0, 2, quiet, 1, 2);
  ok = ok && gFluid.fluid_player_play(player) == FLUID_OK;
  // FluidSynth's own block: the piece is over at the block its last event is
  // played in, as the game sees it when it asks after each buffer it renders.
  constexpr int kBlock = 64;
  // The ring the game renders after the last event, and a buffer more.
  const uint64_t ring = 3 * uint64_t(AudioMixer::kRate);
  const uint64_t limit = uint64_t(60 * 60) * uint64_t(AudioMixer::kRate);
  float block[2 * kBlock];
  while (ok) {
    const uint64_t frames = stereo.size() / 2;
    if (doneFrame && frames >= doneFrame + ring) break;
    if (frames >= limit) ok = false;
    gFluid.fluid_synth_write_float(synth, kBlock, block, 0, 2, block, 1, 2);
    stereo.insert(stereo.end(), block, block + 2 * kBlock);
    if (!doneFrame && gFluid.fluid_player_get_status(player) == FLUID_PLAYER_DONE) doneFrame = stereo.size() / 2;
  }
  if (player) gFluid.delete_fluid_player(player);
  if (synth) gFluid.delete_fluid_synth(synth);
  gFluid.delete_fluid_settings(settings);
  return ok;
}

std::string FindSoundFont(const char* chosen, const std::function<bool(const std::string&)>& exists) {
  if (chosen && *chosen && exists(chosen)) return chosen;
  for (const char* place : kSoundFontPlaces)
    if (exists(place)) return place;
  return kSoundFontPlaces[0];
}

const char* SoundFontPath() {
  // A font that is there but cannot be read is passed over for the next.
  static const std::string path = FindSoundFont(std::getenv("TARVOLEN_SOUNDFONT"), [](const std::string& p) {
    ReadOnlyFile font;
    return font.Open(p) == 0;
  });
  return path.c_str();
}

std::unique_ptr<MidiSequence> MidiSequence::Create(Synth& synth, std::vector<uint8_t> file) {
  if (!synth.Prepare()) return nullptr;
  std::unique_ptr<MidiSequence> seq(new MidiSequence(synth));
  seq->file_ = std::move(file);
  if (!seq->MakePlayer()) return nullptr;
  return seq;
}

MidiSequence::~MidiSequence() {
  if (player_) gFluid.delete_fluid_player(player_);
}

bool MidiSequence::MakePlayer() {
  if (player_) gFluid.delete_fluid_player(player_);
  player_ = gFluid.new_fluid_player(synth_.synth_);
  if (!player_) return false;
  if (gFluid.fluid_player_add_mem(player_, file_.data(), file_.size()) != FLUID_OK) {
    gFluid.delete_fluid_player(player_);
    player_ = nullptr;
    return false;
  }
  return true;
}

void MidiSequence::Start() {
  if (!player_) return;
  // A piece from its top starts from a quiet synthesiser: nothing of a piece
  // that was cut off waits in it (it is not rendered while nothing plays, so
  // such a ring would come out as a click at the next start).
  if (gFluid.fluid_player_get_status(player_) == FLUID_PLAYER_READY) synth_.Reset();
  gFluid.fluid_player_play(player_);
}

void MidiSequence::Stop() {
  if (player_) gFluid.fluid_player_stop(player_);
  gFluid.fluid_synth_all_sounds_off(synth_.synth_, -1);
}

bool MidiSequence::Rewind() {
  Stop();
  // A fresh player is cheap and starts exactly at the top.
  return MakePlayer();
}

bool MidiSequence::Finished() const {
  return !player_ || gFluid.fluid_player_get_status(player_) == FLUID_PLAYER_DONE;
}

void MidiSequence::RenderInto(float* out, int frames) { synth_.RenderInto(out, frames); }

}  // namespace tv
