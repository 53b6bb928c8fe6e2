#pragma once
// Kept with the SDL backend: the value fontconfig's matcher answers and its cache keeps, for the
// Linux text renderer alone.
#include <string>

namespace tv {

// A font file and the face in it that draws a family: what fontconfig's
// matcher answers and its cache keeps.
struct FontFile {
  std::string path;
  int index = 0;
  bool bold = false;      // the face itself is bold (no synthetic emboldening needed)
  bool bitmap = false;    // fixed strikes only, chosen by face index
};

}  // namespace tv
