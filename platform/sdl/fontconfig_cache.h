#pragma once
// Kept with the SDL backend: fontconfig's answers for the Linux text renderer, stamped with
// fontconfig's own files and folders.
#include <optional>
#include <string>
#include <vector>

#include "platform/sdl/font_file.h"

namespace tv {

// Fontconfig's answers from an earlier start, kept in the player's cache
// directory: reading fontconfig's configuration costs more than the rest of
// the window's start-up, and a menu that needs two families should not wait
// for it. The answers hold only while everything fontconfig's choice depends
// on is as it was then (the stamp: its environment and the times of its
// configuration, cache and font directories) and the chosen file is unchanged.
class FontMatchCache {
 public:
  // `file` is where the answers are kept; empty keeps them in memory only.
  explicit FontMatchCache(std::string file);

  // The answer for `family` in `bold`, if one is known for today's stamp.
  std::optional<FontFile> Find(const std::string& family, bool bold);
  // Keeps fontconfig's answer and writes the file anew (a failed write is no concern: it is a cache).
  void Add(const std::string& family, bool bold, const FontFile& file);
  // Forgets the answer for `family` in `bold`, if one is kept, and writes the file anew.
  void Drop(const std::string& family, bool bold);
  // Whether the kept answers were made under today's stamp.
  bool Fresh();

  // What fontconfig's choice depends on, as one line.
  static std::string Stamp();
  // A regular file's size and time, as one word; empty for anything else.
  static std::string FileStamp(const std::string& path);

 private:
  struct Entry {
    std::string family;
    bool bold = false;
    FontFile file;
    std::string fileStamp;  // the chosen file's size and time
  };
  void Load();
  void Save() const;

  std::string path_;
  bool loaded_ = false;
  std::string stamp_;
  std::vector<Entry> entries_;
};

}  // namespace tv
