#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What the program keeps between starts only to start sooner (fontconfig's
// answers): a file in the player's cache folder, read whole and written whole,
// whose loss costs nothing but time.
namespace tv {

// The file `name` in the player's cache folder (CacheDirectory(): on Linux
// $XDG_CACHE_HOME/tarvolen, else ~/.cache/tarvolen); empty when the player has
// none, and then nothing is kept.
std::string CacheFilePath(const std::string& name);

// The whole of the cache file at `path`, if it is a regular file of at most
// `maxBytes`; nothing otherwise, empty `path` included.
std::optional<std::string> ReadCacheFile(const std::string& path, size_t maxBytes);

// Replaces the cache file at `path` whole (AtomicFile), its folder made for the
// player alone if missing. Only a regular file is ours to replace: a pipe in
// its place would wait for a reader before the menu is shown, and a device or
// a directory is nobody's cache; these are left alone (EINVAL). 0, or the
// error number of the step that failed; a caller may ignore it: it is a cache.
int WriteCacheFile(const std::string& path, std::string_view bytes);

}  // namespace tv
