// The exceptions the program raises where its design raises; each carries
// the class name that user-facing messages show.
#pragma once

#include <stdexcept>
#include <string>

namespace strevo {

class EStrevoError : public std::runtime_error {
 public:
  explicit EStrevoError(const std::string& message, const char* className = "Exception")
      : std::runtime_error(message), className_(className) {}
  const char* ClassName() const { return className_; }

 private:
  const char* className_;
};

// A number in stored text that cannot be converted.
class EConvertError : public EStrevoError {
 public:
  explicit EConvertError(const std::string& message) : EStrevoError(message, "EConvertError") {}
};

// A local file that cannot be opened where the caller expects an exception.
class EFOpenError : public EStrevoError {
 public:
  explicit EFOpenError(const std::string& message) : EStrevoError(message, "EFOpenError") {}
};

// Raised by the stream row reader at the end of data when asked to.
class EIdEndOfStream : public EStrevoError {
 public:
  explicit EIdEndOfStream(const std::string& message) : EStrevoError(message, "EIdEndOfStream") {}
};

}  // namespace strevo
