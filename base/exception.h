// The root of the program's exception types. Every error the code raises derives from it, so
// the top-level handler needs one catch and prints ClassName(), the message and the place where
// the exception was raised.
#pragma once

#include <cstdint>
#include <string>

namespace sanivo {

class Exception {
 public:
  // Not inlined, so that the return address it records is the raise site. Derived constructors
  // are always inlined, so that the base records the raise site for them too.
  [[gnu::noinline]] explicit Exception(std::string message);
  virtual ~Exception() = default;

  const std::string& Message() const { return message_; }
  // The address in the program's code where the exception was raised.
  std::uintptr_t RaiseAddress() const { return raiseAddress_; }
  virtual const char* ClassName() const { return "Exception"; }

 private:
  std::string message_;
  std::uintptr_t raiseAddress_;
};

}  // namespace sanivo
