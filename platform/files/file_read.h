#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tv {

// Reads a whole file beside the program into memory. Only a regular file is
// read: it is opened without blocking and checked with fstat before a byte is
// read, so a named pipe, a device or a directory in a file's place fails at
// once instead of hanging the game. Returns 0, or the errno value that says
// why not: the open's own error, EISDIR for a directory, EINVAL for a pipe,
// socket or device, EFBIG for a file larger than `maxBytes`, or a read error.
// An empty file reads as no bytes. `bytes` is empty on failure.
int ReadRegularFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes);

// The reason shown after the file's path (in the box and on stderr) for a
// failure ReadRegularFile returned: strerror's, but "Not a regular file" for
// EINVAL, which its own opens and reads of a regular file never give (strerror
// would say "Invalid argument"; PictureFile.PipeOrDeviceGivesTheOpenErrorWithoutWaiting).
std::string ReadFailureText(int err);

}  // namespace tv
