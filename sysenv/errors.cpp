#include "sysenv/errors.h"

#include <utility>

#include "platform/os.h"

namespace sanivo {

Exception::Exception(std::string message)
    : message_(std::move(message)),
      raiseAddress_(reinterpret_cast<std::uintptr_t>(__builtin_return_address(0))) {}

std::string SystemErrorText(std::uint32_t code) {
  std::string text;
  os::FormatMessageA(code, 256, text);
  while (!text.empty()) {
    const unsigned char last = static_cast<unsigned char>(text.back());
    if (last > ' ' && last != '.') break;
    text.pop_back();
  }
  return text;
}

void RaiseLastOSError() { throw Exception(SystemErrorText(os::GetLastError())); }

}  // namespace sanivo
