// The sound font cut down to the game's presets plays the game's pieces
// exactly as the whole font does.
#include <gtest/gtest.h>

#include <fluidsynth.h>

#include <set>
#include <string>
#include <vector>

#include "platform/files/file_read.h"
#include "platform/sound/media_files.h"
#include "platform/fluidsynth/synth.h"
#include "platform/fluidsynth/soundfont_subset.h"

namespace tv {
namespace {

std::vector<uint8_t> Piece(int n) {
  std::vector<uint8_t> bytes;
  uint32_t lengthMs = 0;
  EXPECT_EQ(ReadRegularFile(std::string(TARVOLEN_DATA_DIR) + "/" + std::to_string(n) + ".mid", 4 << 20, bytes), 0);
  EXPECT_EQ(ParseMidi(bytes, lengthMs), FileCheck::Ok);
  return bytes;
}

struct Synth {
  explicit Synth(const std::set<Preset>* subset) {
    settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings, "synth.polyphony", 64);
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    synth = new_fluid_synth(settings);
    bool whole = true;
    font = subset ? LoadSoundFont(synth, settings, SoundFontPath(), *subset, whole)
                  : fluid_synth_sfload(synth, SoundFontPath(), 1);
    EXPECT_EQ(whole, !subset);
  }
  ~Synth() {
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
  }
  // The first `seconds` of `piece`, interleaved stereo.
  std::vector<float> Render(const std::vector<uint8_t>& piece, int seconds) {
    fluid_synth_system_reset(synth);
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add_mem(player, piece.data(), piece.size());
    fluid_player_play(player);
    std::vector<float> out(size_t(seconds) * 44100 / 512 * 512 * 2);
    for (size_t at = 0; at < out.size(); at += 2 * 512)
      fluid_synth_write_float(synth, 512, out.data(), int(at), 2, out.data(), int(at) + 1, 2);
    delete_fluid_player(player);
    return out;
  }
  fluid_settings_t* settings;
  fluid_synth_t* synth;
  int font;
};

TEST(SoundFontSubset, GamePiecesSoundTheSameAsWithTheWholeFont) {
  std::set<Preset> wanted;
  std::vector<std::vector<uint8_t>> pieces;
  for (int n = 0; n <= 8; ++n) {
    pieces.push_back(Piece(n));
    std::set<Preset> one = PresetsOfMidi(pieces.back());
    EXPECT_FALSE(one.count({-1, -1})) << n << ".mid";
    wanted.insert(one.begin(), one.end());
  }
  auto subset = MakeSoundFontSubset(SoundFontPath(), wanted);
  ASSERT_TRUE(subset);
  // A real cut: fewer presets than the font's, its samples kept in place.
  EXPECT_LT(subset->tables.size(), 100000u);

  Synth whole(nullptr), cut(&wanted);
  ASSERT_NE(whole.font, FLUID_FAILED);
  ASSERT_NE(cut.font, FLUID_FAILED);
  for (int n = 0; n <= 8; ++n) {
    std::vector<float> a = whole.Render(pieces[size_t(n)], 12), b = cut.Render(pieces[size_t(n)], 12);
    float peak = 0;
    for (float v : a) peak = std::max(peak, std::abs(v));
    EXPECT_GT(peak, 0.01f) << n << ".mid is heard";
    EXPECT_TRUE(a == b) << n << ".mid differs with the cut font";
  }
}

TEST(SoundFontSubset, UnreadableOrForeignFilesGiveNoSubset) {
  EXPECT_FALSE(MakeSoundFontSubset("/nonexistent.sf2", {{0, 0}}));
  EXPECT_FALSE(MakeSoundFontSubset(std::string(TARVOLEN_DATA_DIR) + "/0.mid", {{0, 0}}));
  EXPECT_FALSE(MakeSoundFontSubset(SoundFontPath(), {{-1, -1}}));
  EXPECT_TRUE(PresetsOfMidi({'n', 'o', 't'}).count({-1, -1}));
}

}  // namespace
}  // namespace tv
