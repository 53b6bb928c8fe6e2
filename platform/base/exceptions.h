#pragma once
#include <stdexcept>
#include <string>

namespace tv {

// Errors raised by the toolkit and the game; the event dispatch shows their text.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& msg) : std::runtime_error(msg) {}
};

class EMCIDeviceError : public Exception {
  using Exception::Exception;
};
class EFOpenError : public Exception {
  using Exception::Exception;
};
class EInvalidGraphic : public Exception {
  using Exception::Exception;
};
class EOutOfResources : public Exception {
  using Exception::Exception;
};

}  // namespace tv
