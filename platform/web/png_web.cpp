// A page writes no picture files: frames are the desktop programs' business.
#include <cerrno>

#include "platform/files/png.h"

namespace tv {

int WritePngFile(const std::string&, int, int, const uint32_t*, bool) { return ENOTSUP; }

}  // namespace tv
