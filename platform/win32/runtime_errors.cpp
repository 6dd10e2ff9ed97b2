// How the C++ runtime reports its own errors, replaced with smaller equivalents for the Windows
// programs (each is linked statically with the runtime):
// - The default terminate handler prints the type of an uncaught exception and brings the whole
//   demangler (some 45 KiB). The programs catch what they throw at the top, so terminate means a
//   broken program: it ends at once.
// - The runtime raises std::length_error, std::out_of_range and their kin through the
//   std::__throw_* functions, whose exception classes bring the runtime's second string
//   implementation and more (some 30 KiB). Ours raise one small class that carries the same
//   message as std::exception, which is all the programs' top-level handler reads; the
//   exceptions without a message stay the runtime's own.
#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class TRuntimeError : public std::exception {
 public:
  explicit TRuntimeError(const char* message) : message_(message) {}
  const char* what() const noexcept override { return message_; }

 private:
  const char* message_;
};

}  // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* message) { throw TRuntimeError(message); }
void __throw_domain_error(const char* message) { throw TRuntimeError(message); }
void __throw_invalid_argument(const char* message) { throw TRuntimeError(message); }
void __throw_length_error(const char* message) { throw TRuntimeError(message); }
void __throw_out_of_range(const char* message) { throw TRuntimeError(message); }
// The format's arguments (positions and sizes) are left out of the message.
void __throw_out_of_range_fmt(const char* format, ...) { throw TRuntimeError(format); }
void __throw_runtime_error(const char* message) { throw TRuntimeError(message); }
void __throw_range_error(const char* message) { throw TRuntimeError(message); }
void __throw_overflow_error(const char* message) { throw TRuntimeError(message); }
void __throw_underflow_error(const char* message) { throw TRuntimeError(message); }

}  // namespace std
