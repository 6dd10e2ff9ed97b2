// The exception types of the system environment, and the system's error texts.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "base/exception.h"

namespace sanivo {

// Standard output or error could not be written.
class EInOutError : public Exception {
 public:
  [[gnu::always_inline]] EInOutError(std::string message, std::uint32_t errorCode)
      : Exception(std::move(message)), errorCode_(errorCode) {}
  const char* ClassName() const override { return "EInOutError"; }
  // Documented with the error; the top-level report does not show it yet.
  std::uint32_t ErrorCode() const { return errorCode_; }

 private:
  std::uint32_t errorCode_;
};

class ERegistryException : public Exception {
 public:
  [[gnu::always_inline]] explicit ERegistryException(std::string message)
      : Exception(std::move(message)) {}
  const char* ClassName() const override { return "ERegistryException"; }
};

// The system's message text for an error code: FormatMessageA from the system table, with
// every trailing control character, blank and full stop removed.
std::string SystemErrorText(std::uint32_t code);

// Raises Exception with the system error text of the calling thread's last error.
[[noreturn]] void RaiseLastOSError();

}  // namespace sanivo
