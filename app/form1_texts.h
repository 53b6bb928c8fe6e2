#pragma once
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "game/state.h"
#include "game/turns.h"
#include "platform/base/text.h"

// The window's fonts and the texts it draws that are known ahead, in one
// place: the layout draws them, tools/make_atlas keeps them in the web build's
// glyph atlas, and tests/atlas_text_test.cpp holds that atlas to the Linux
// renderer on each of them.
namespace tv {

inline const FontSpec kSans{"MS Sans Serif", -11, false};
inline const FontSpec kSansBold{"MS Sans Serif", -11, true};
inline const FontSpec kVerdana{"Verdana", -11, false};

// Panel1..Panel4, top to bottom.
inline constexpr const char* kRowCaptions[4] = {"Player vs. Computer", "Player 1 vs. Player 2",
                                                "Computer 1 vs. Computer 2", "Exit"};
// Label7, the link under the menu.
inline constexpr const char* kLinkCaption = "tarvolen.example";
// Label1 and Label2's first caption, then the controls' summary: Label3, and
// Label5/Label4, Label8/Label6, Label10/Label9 side by side.
inline constexpr const char* kTurnCaption = "Turn:";
inline constexpr const char* kFirstTurnName = "Player 1";
inline constexpr const char* kControlsCaption = "CONTROLS:";
inline constexpr const char* kDirectionCaption = "Direction:";
inline constexpr const char* kDirectionKeys = "Up/Down";
inline constexpr const char* kShootCaption = "Shoot:";
inline constexpr const char* kShootKey = "Space";
inline constexpr const char* kMenuCaption = "Exit to Menu:";
inline constexpr const char* kMenuKey = "ESC";

inline std::vector<FontSpec> WindowFonts() { return {kSans, kSansBold, kVerdana}; }

// Every text above, with the names Label2 takes as the turn passes and the
// winners' messages, as the rules give them.
inline std::vector<std::string> WindowTexts() {
  std::vector<std::string> texts(std::begin(kRowCaptions), std::end(kRowCaptions));
  texts.insert(texts.end(), {kLinkCaption, kTurnCaption, kFirstTurnName, kControlsCaption, kDirectionCaption,
                             kDirectionKeys, kShootCaption, kShootKey, kMenuCaption, kMenuKey});
  for (const std::string& side : {kKullanici1, kKullanici2, kBilgisayar1, kBilgisayar2}) {
    for (int16_t mode = 0; mode < 3; ++mode)
      if (auto next = AfterMiss(side, mode)) texts.push_back(next->label);
    texts.push_back(WinnerText(side));
  }
  std::sort(texts.begin(), texts.end());
  texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
  return texts;
}

}  // namespace tv
