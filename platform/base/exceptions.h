#pragma once
#include <stdexcept>
#include <string>
#include <utility>

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
 public:
  explicit EInvalidGraphic(const std::string& msg, std::string detail = {})
      : Exception(msg), detail_(std::move(detail)) {}
  // What the decoder found wrong, for the log; the box shows the message alone.
  const std::string& Detail() const { return detail_; }

 private:
  std::string detail_;
};
class EOutOfResources : public Exception {
  using Exception::Exception;
};

}  // namespace tv
