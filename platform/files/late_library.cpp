#include "platform/files/late_library.h"

#include <cstdio>

namespace tv {

bool LateLibrary::Ready(const char* what, const char* otherwise) const {
  const bool ready = handle_ && failure_.empty();
  if (!ready) std::fprintf(stderr, "tarvolen: cannot load %s (%s); %s\n", what, failure_.c_str(), otherwise);
  return ready;
}

}  // namespace tv
