#pragma once
#include <cstdio>
#include <cstdlib>

namespace tv {

// A programmer's error in the built-in pictures: stop with a message, in
// release builds too (plain assert would let a bad index through there).
inline void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "tarvolen: internal error: %s\n", what);
  std::abort();
}

}  // namespace tv
