#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/base/bitmap.h"

namespace tv {

// The window's first picture from the last start, kept in the player's cache
// directory. The menu is the same picture at every start: shown as soon as
// the window exists, while the form, its fonts and its widgets are still being
// made, it is on the screen in about the time SDL alone takes to show a
// window. The form's own first picture follows within milliseconds and
// replaces it. It holds only while the fonts it was drawn with are as they
// were: fontconfig's environment and the font files its text came from;
// anything else in the file makes it as good as absent.
class FirstPicture {
 public:
  // Held as runs of one colour, as in the file: made whole only row by row,
  // straight onto the window (a megabyte less to allocate and touch first).
  struct Kept {
    int width = 0, height = 0;
    std::vector<uint32_t> runs;  // length, then 0x00RRGGBB, for each run in reading order
    std::string title;           // the window's title when it was shown

    // The next `count` pixels from `at` (a run and how much of it is used).
    struct Cursor {
      size_t run = 0;
      uint32_t used = 0;
    };
    void Next(Cursor& at, Pixel* out, size_t count) const;
    Bitmap Picture() const;
  };

  // `file` is where the picture is kept; empty keeps nothing.
  explicit FirstPicture(std::string file);

  // The kept picture of `width` x `height`, if its stamp still holds.
  std::optional<Kept> Load(int width, int height) const;
  // Keeps `picture`, titled `title` and drawn with the font files `fonts`,
  // unless the file holds it already. A failed write is no concern: it is a cache.
  void Keep(const Bitmap& picture, const std::string& title, const std::vector<std::string>& fonts) const;

  // The file as Keep writes it, and what Load makes of one: for the tests.
  static std::string Encode(const Bitmap& picture, const std::string& title, const std::vector<std::string>& fonts);
  static std::optional<Kept> Decode(const std::string& bytes, int width, int height);

 private:
  std::string path_;
};

// Where the window's first picture is kept: beside the font answers.
std::string FirstPictureFile();

}  // namespace tv
