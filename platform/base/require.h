#pragma once
#include <cstdio>
#include <cstdlib>

namespace tv {

// A programmer's error: stop with a message, in release builds too (a plain
// assert would let a bad index or a missing installation through there).
inline void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "tarvolen: internal error: %s\n", what);
  std::abort();
}

}  // namespace tv
